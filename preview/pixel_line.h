// A line thinned for drawing to what a picture's pixels can show. The
// picture is covered by a grid of square cells; a segment is drawn only
// when it reaches a cell the line has not reached before, and a segment
// within one cell is not drawn at all. Each drawn segment claims a cell,
// so however many points the line has, the segments drawn are bounded by
// the grid: a track of a million points draws no more than one of a
// thousand that covers the same cells.
#ifndef PREVIEW_PIXEL_LINE_H
#define PREVIEW_PIXEL_LINE_H

#include <cstdint>

namespace preview {

struct Cell {
    int column, row;
};

// The cells of a grid over width x height pixels, with a border of cells
// for points on and past the edges.
constexpr int grid_cells(double width, double height, double cell_px) {
    return (static_cast<int>(width / cell_px) + 3) * (static_cast<int>(height / cell_px) + 3);
}

struct PixelLine {
    double cell_px;
    int columns, rows;
    uint8_t* reached;  // one bit per cell, owned by the caller
    bool started;
    double previous_x, previous_y;
    Cell previous_cell;
    bool pen_down;
    Cell pen_cell;
    bool lifted;
};

// Receives what to draw: a move to (x, y), or a line from the pen to it.
using LineOutput = void (*)(double x, double y, bool move);

// Starts a line over a picture of width x height pixels with cells of
// cell_px; reached holds bytes bytes, at least grid_cells / 8 rounded up.
void start_line(PixelLine* line, double cell_px, double width, double height, uint8_t* reached, int bytes);

// Adds the next point of the line, in pixels; emit receives the moves and
// segments to draw. The first point is drawn as a dot, so that a line that
// never leaves its first cell still shows. Points outside the grid count
// in its border cells; NaN counts in the first.
void add_line_point(PixelLine* line, double x, double y, LineOutput emit);

// Lifts the pen: the next point starts a new part of the line, drawn from
// there on without a dot of its own.
void lift_pen(PixelLine* line);

// A line cut at the edges of a rectangle before it is thinned: only what
// lies within goes to the pixel line, each part that enters the rectangle
// starting where it crosses the edge.
struct CutLine {
    PixelLine* line;
    double left, top, right, bottom;
    bool has_previous;
    double previous_x, previous_y;
    bool previous_drawn;  // the pixel line's last point is the previous one
};

void start_cut_line(CutLine* cut, PixelLine* line, double left, double top, double right, double bottom);

// Adds the next point of the line, in pixels.
void add_cut_point(CutLine* cut, double x, double y, LineOutput emit);

// The line does not go on from the last point to the next.
void break_cut_line(CutLine* cut);

}  // namespace preview

#endif
