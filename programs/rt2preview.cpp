// rt2preview: draws a track and the route a converter would make of it,
// and finds thresholds for a waypoint budget.
#include "preview/preview_run.h"

int main(int argc, char** argv) { preview::run_preview(argc, argv); }
