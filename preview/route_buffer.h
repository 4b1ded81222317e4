// The route's line, which waits in memory to be drawn over the track: the
// moves and lines its pixel line gives on a grid of 3-pixel cells, or of
// larger ones on a picture so large that the vertices would not fit. Every
// segment drawn claims a cell, so the memory is bounded by the grid.
#ifndef PREVIEW_ROUTE_BUFFER_H
#define PREVIEW_ROUTE_BUFFER_H

#include "preview/pixel_line.h"

namespace preview {

// Starts the route's pixel line over a picture of width x height pixels
// and empties the buffer.
void start_route_line(PixelLine* line, double width, double height);

// The route line's output: keeps the move or line.
void emit_route(double x, double y, bool move);

// Writes the route's group with the moves and lines kept.
void put_route();

}  // namespace preview

#endif
