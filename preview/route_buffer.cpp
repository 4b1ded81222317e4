#include "preview/route_buffer.h"

#include <cstdint>

#include "preview/projection.h"
#include "preview/svg_writer.h"

namespace preview {

namespace {

constexpr double route_cell_px = 3.0;
// The grid of the largest picture fitted to what it draws.
constexpr int most_route_cells =
    grid_cells(map_max_width + 2 * margin,
               map_max_height + 2 * margin + scale_bar_gap + view_caption_lines * caption_line, route_cell_px);

uint8_t route_cells[(most_route_cells + 7) / 8];

struct RouteVertex {
    float x, y;
    bool move;
};
// Every drawn segment claims a cell and needs at most a move and a line.
RouteVertex route_vertices[2 * most_route_cells + 4];
int route_vertex_count = 0;

// The route's cell: 3 pixels, or as much more as keeps its grid within
// most_route_cells.
double route_cell_for(double width, double height) {
    double cell = route_cell_px;
    while (grid_cells(width, height, cell) > most_route_cells) cell += 0.5;
    return cell;
}

}  // namespace

void start_route_line(PixelLine* line, double width, double height) {
    double cell = route_cell_for(width, height);
    start_line(line, cell, width, height, route_cells, (grid_cells(width, height, cell) + 7) / 8);
    route_vertex_count = 0;
}

void emit_route(double x, double y, bool move) {
    if (route_vertex_count >= static_cast<int>(sizeof route_vertices / sizeof route_vertices[0])) return;
    route_vertices[route_vertex_count++] = {static_cast<float>(x), static_cast<float>(y), move};
}

void put_route() {
    put("<g fill=\"none\" stroke=\"#e0601f\" stroke-width=\"3.5\" stroke-opacity=\"0.55\" "
        "stroke-linejoin=\"round\" stroke-linecap=\"round\">\n<path d=\"");
    int segments = 0;
    for (int i = 0; i < route_vertex_count; ++i) {
        const RouteVertex& v = route_vertices[i];
        if (!v.move && segments >= segments_per_path) {
            const RouteVertex& pen = route_vertices[i - 1];
            put("\"/>\n<path d=\"");
            put_point_command('M', pen.x, pen.y);
            segments = 0;
        }
        put_point_command(v.move ? 'M' : 'L', v.x, v.y);
        if (!v.move) ++segments;
    }
    put("\"/>\n</g>\n");
}

}  // namespace preview
