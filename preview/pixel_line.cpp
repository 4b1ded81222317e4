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
}

void add_line_point(PixelLine* line, double x, double y, LineOutput emit) {
    Cell cell = cell_of(*line, x, y);
    if (!line->started) {
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

}  // namespace preview
