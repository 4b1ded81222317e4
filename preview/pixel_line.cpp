#include "preview/pixel_line.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace preview {

namespace {

bool operator==(Cell a, Cell b) { return a.column == b.column && a.row == b.row; }

Cell cell_of(const PixelLine& line, double x, double y) {
    auto index = [](double v, double size, int count) {
        double i = std::floor(v / size);
        if (!(i >= 0)) return 0;  // NaN too
        return i >= count - 1 ? count - 1 : static_cast<int>(i);
    };
    return {index(x, line.cell_px, line.columns), index(y, line.cell_px, line.rows)};
}

bool claim(PixelLine* line, Cell cell) {
    int bit = cell.row * line->columns + cell.column;
    uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
    if ((line->reached[bit >> 3] & mask) != 0) return false;
    line->reached[bit >> 3] |= mask;
    return true;
}

// Claims the cells along the segment; true when one was new.
bool claim_segment(PixelLine* line, Cell from, Cell to) {
    int dc = to.column - from.column, dr = to.row - from.row;
    int steps = std::abs(dc) > std::abs(dr) ? std::abs(dc) : std::abs(dr);
    bool fresh = false;
    for (int s = 0; s <= steps; ++s) {
        double f = steps == 0 ? 0.0 : static_cast<double>(s) / steps;
        Cell c = {from.column + static_cast<int>(std::lround(dc * f)),
                  from.row + static_cast<int>(std::lround(dr * f))};
        if (claim(line, c)) fresh = true;
    }
    return fresh;
}

}  // namespace

void start_line(PixelLine* line, double cell_px, double width, double height, uint8_t* reached, int bytes) {
    line->cell_px = cell_px;
    line->columns = static_cast<int>(width / cell_px) + 3;
    line->rows = static_cast<int>(height / cell_px) + 3;
    line->reached = reached;
    std::memset(reached, 0, bytes);
    line->started = false;
    line->pen_down = false;
    line->lifted = false;
}

void add_line_point(PixelLine* line, double x, double y, LineOutput emit) {
    Cell cell = cell_of(*line, x, y);
    if (line->lifted) {
        line->lifted = false;
    } else if (!line->started) {
        line->started = true;
        claim(line, cell);
        // A line that never leaves its first cell still shows as a dot.
        emit(x, y, true);
        emit(x, y, false);
        line->pen_down = true;
        line->pen_cell = cell;
    } else if (!(cell == line->previous_cell)) {
        if (claim_segment(line, line->previous_cell, cell)) {
            // From a pen in the same cell the step is too small to see.
            if (!(line->pen_down && line->pen_cell == line->previous_cell))
                emit(line->previous_x, line->previous_y, true);
            emit(x, y, false);
            line->pen_down = true;
            line->pen_cell = cell;
        }
    }
    line->previous_x = x;
    line->previous_y = y;
    line->previous_cell = cell;
}

void lift_pen(PixelLine* line) {
    if (line->started) line->lifted = true;
}

void start_cut_line(CutLine* cut, PixelLine* line, double left, double top, double right, double bottom) {
    *cut = {line, left, top, right, bottom, false, 0.0, 0.0, false};
}

void add_cut_point(CutLine* cut, double x, double y, LineOutput emit) {
    double x0 = cut->previous_x, y0 = cut->previous_y;
    bool had_previous = cut->has_previous;
    cut->has_previous = true;
    cut->previous_x = x;
    cut->previous_y = y;
    if (!had_previous) {
        cut->previous_drawn = x >= cut->left && x <= cut->right && y >= cut->top && y <= cut->bottom;
        if (cut->previous_drawn) {
            lift_pen(cut->line);
            add_line_point(cut->line, x, y, emit);
        }
        return;
    }
    // The part of the segment within the rectangle, from t0 to t1 of the
    // way (Liang and Barsky's clipping).
    double dx = x - x0, dy = y - y0;
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - cut->left, cut->right - x0, y0 - cut->top, cut->bottom - y0};
    bool visible = true;
    for (int k = 0; k < 4 && visible; ++k) {
        if (p[k] == 0) {
            visible = q[k] >= 0;
        } else {
            double t = q[k] / p[k];
            if (p[k] < 0 && t > t0) t0 = t;
            if (p[k] > 0 && t < t1) t1 = t;
            visible = t0 <= t1;
        }
    }
    if (!visible) {
        cut->previous_drawn = false;
        return;
    }
    if (!cut->previous_drawn) {
        lift_pen(cut->line);
        add_line_point(cut->line, t0 == 0.0 ? x0 : x0 + t0 * dx, t0 == 0.0 ? y0 : y0 + t0 * dy, emit);
    }
    add_line_point(cut->line, t1 == 1.0 ? x : x0 + t1 * dx, t1 == 1.0 ? y : y0 + t1 * dy, emit);
    cut->previous_drawn = t1 == 1.0;
}

void break_cut_line(CutLine* cut) { cut->has_previous = false; }

}  // namespace preview
