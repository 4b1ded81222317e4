// The route drawn, written as the two route files a converter writes: from
// the waypoints in its route file, through the converters' own route
// writer, so that a converter's route comes out byte for byte as the
// converter writes it.
#ifndef PREVIEW_ROUTE_OUTPUT_H
#define PREVIEW_ROUTE_OUTPUT_H

#include <cstdio>

namespace preview {

// Writes the forward route from the waypoint records of route_file, from
// its start, then the backward route from it. Failures end the run as in
// a converter: exit 2 for the forward route, 3 and 4 for the backward one.
void write_route_files(std::FILE* route_file, const char* forward_path, const char* backward_path);

}  // namespace preview

#endif
