// The pixel line: what it draws of a line for the cells it reaches, and
// that a line drawn again over its own cells draws nothing more.
#include "preview/pixel_line.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Step {
    double x, y;
    bool move;
    bool operator==(const Step& o) const { return x == o.x && y == o.y && move == o.move; }
};

std::vector<Step> drawn;

void record(double x, double y, bool move) { drawn.push_back({x, y, move}); }

// 100 x 100 pixels in cells of 2: 53 x 53 cells with the border.
uint8_t cells[(53 * 53 + 7) / 8];

preview::PixelLine line_over_100() {
    preview::PixelLine line;
    drawn.clear();
    preview::start_line(&line, 2.0, 100.0, 100.0, cells, sizeof cells);
    return line;
}

std::vector<Step> draw(const std::vector<std::vector<double>>& points) {
    preview::PixelLine line = line_over_100();
    for (const std::vector<double>& p : points) preview::add_line_point(&line, p[0], p[1], record);
    return drawn;
}

TEST(PixelLine, GridCellsCountTheBorder) {
    EXPECT_EQ(53 * 53, preview::grid_cells(100.0, 100.0, 2.0));
    EXPECT_EQ(36 * 19, preview::grid_cells(100.0, 48.0, 3.0));
}

TEST(PixelLine, WhatIsDrawnOfEachLine) {
    struct Case {
        const char* what;
        std::vector<std::vector<double>> points;
        std::vector<Step> expected;
    };
    const Case cases[] = {
        {"one point is a dot", {{10.5, 20.5}}, {{10.5, 20.5, true}, {10.5, 20.5, false}}},
        {"jitter within a cell is the dot alone",
         {{10.1, 20.1}, {11.9, 21.9}, {10.5, 21.0}, {11.0, 20.2}},
         {{10.1, 20.1, true}, {10.1, 20.1, false}}},
        {"each new cell a segment from the pen, without a move",
         {{1, 1}, {3, 1}, {5, 1}, {7, 1}},
         {{1, 1, true}, {1, 1, false}, {3, 1, false}, {5, 1, false}, {7, 1, false}}},
        {"back over its own cells nothing; out again from the last point, with a move",
         {{1, 1}, {9, 1}, {1, 1}, {1, 9}},
         {{1, 1, true}, {1, 1, false}, {9, 1, false}, {1, 1, true}, {1, 9, false}}},
        {"a step within the pen's cell and on: the segment from the point before",
         {{1, 1}, {21, 1}, {21.5, 1.5}, {21.5, 11}},
         {{1, 1, true}, {1, 1, false}, {21, 1, false}, {21.5, 11, false}}},
        {"a long jump over new cells is one segment",
         {{1, 1}, {99, 99}},
         {{1, 1, true}, {1, 1, false}, {99, 99, false}}},
        {"far outside counts in the border cells",
         {{-500, 50}, {-900, 50}, {50, 50}},
         {{-500, 50, true}, {-500, 50, false}, {50, 50, false}}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, draw(c.points)) << c.what;
}

// Only a cell a segment reaches first makes it drawn: the whole diagonal
// claims the cells between its ends, so a later line through them draws
// nothing, and one that crosses it draws.
TEST(PixelLine, SegmentsClaimTheCellsBetweenTheirEnds) {
    preview::PixelLine line = line_over_100();
    preview::add_line_point(&line, 1, 1, record);
    preview::add_line_point(&line, 61, 61, record);
    size_t after_diagonal = drawn.size();
    for (double t = 61; t >= 1; t -= 0.7) preview::add_line_point(&line, t, t, record);
    EXPECT_EQ(after_diagonal, drawn.size());
    preview::add_line_point(&line, 61, 1, record);
    EXPECT_EQ(after_diagonal + 2, drawn.size());
}

// However long the line, it draws no more segments than the grid has
// cells: a spiral of a million points over 100 x 100 pixels.
TEST(PixelLine, SegmentsAreBoundedByTheGrid) {
    preview::PixelLine line = line_over_100();
    for (int i = 0; i < 1000000; ++i) {
        double a = i * 0.01, r = 48.0 * std::fabs(std::sin(i * 1e-4));
        preview::add_line_point(&line, 50 + r * std::cos(a), 50 + r * std::sin(a), record);
    }
    int segments = 0;
    for (const Step& s : drawn) segments += s.move ? 0 : 1;
    EXPECT_LE(segments, 53 * 53);
    EXPECT_GT(segments, 500);
}

// A line cut at the edges of 10..90 x 10..90: the parts within start
// where they cross an edge, without a dot, and the pen lifts between them.
TEST(PixelLine, CutAtTheRectanglesEdges) {
    struct Case {
        const char* what;
        std::vector<std::vector<double>> points;
        std::vector<Step> expected;
    };
    const Case cases[] = {
        {"across from left to right", {{0, 50}, {100, 50}}, {{10, 50, true}, {10, 50, false}, {90, 50, false}}},
        {"wholly outside", {{0, 0}, {100, 5}, {95, 95}}, {}},
        {"out and in again",
         {{50, 50}, {50, 100}, {70, 100}, {70, 50}},
         {{50, 50, true}, {50, 50, false}, {50, 90, false}, {70, 90, true}, {70, 50, false}}},
        {"a corner cut", {{0, 20}, {20, 0}}, {{10, 10, true}, {10, 10, false}}},
        {"on the edge", {{10, 10}, {10, 90}}, {{10, 10, true}, {10, 10, false}, {10, 90, false}}},
    };
    for (const Case& c : cases) {
        preview::PixelLine line = line_over_100();
        preview::CutLine cut;
        preview::start_cut_line(&cut, &line, 10, 10, 90, 90);
        for (const std::vector<double>& p : c.points) preview::add_cut_point(&cut, p[0], p[1], record);
        EXPECT_EQ(c.expected, drawn) << c.what;
    }
    // A break: the line does not go on from the last point.
    preview::PixelLine line = line_over_100();
    preview::CutLine cut;
    preview::start_cut_line(&cut, &line, 10, 10, 90, 90);
    preview::add_cut_point(&cut, 20, 20, record);
    preview::add_cut_point(&cut, 30, 20, record);
    preview::break_cut_line(&cut);
    preview::add_cut_point(&cut, 30, 80, record);
    preview::add_cut_point(&cut, 40, 80, record);
    EXPECT_EQ((std::vector<Step>{{20, 20, true}, {20, 20, false}, {30, 20, false}, {30, 80, true}, {40, 80, false}}),
              drawn);
}

TEST(PixelLine, NotANumberCountsInTheFirstCell) {
    EXPECT_EQ((std::vector<Step>{{1, 1, true}, {1, 1, false}}), draw({{1, 1}, {NAN, NAN}, {0.5, 0.5}}));
}

}  // namespace
