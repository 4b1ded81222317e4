// rt2gpx: a Route2 route file (.rt2) turned into a GPX 1.1 file that holds
// one route (<rte>), for the devices and apps that load GPX routes. The
// route keeps its name (the third header line) and each waypoint keeps its
// name and its coordinates, written with the digits the route file holds.
// The route file is read once, a line at a time, so any length of route
// converts in constant memory. The GPX route is written under a temporary
// name beside the output and renamed when it is complete, so a failure
// never leaves a part of one under the output's name.
#ifndef READERS_ROUTE2_ROUTE_GPX_H
#define READERS_ROUTE2_ROUTE_GPX_H

namespace route2 {

// Runs rt2gpx ROUTE.rt2 ROUTE.gpx and ends the process: 0 when the GPX
// route was written, 1 with the usage banner for any other command line,
// 2 with one message line when the route file cannot be read or is not a
// Route2 file, or the GPX route cannot be written.
[[noreturn]] void run_rt2gpx(int argc, char** argv);

}  // namespace route2

#endif
