// rt2gpx: turns a Route2 route file into a GPX route.
#include "readers/route2/route_gpx.h"

int main(int argc, char** argv) { route2::run_rt2gpx(argc, argv); }
