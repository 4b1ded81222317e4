// The picture's words and numbers: the waypoints' numbers beside their
// markers, the start and end, the distance at the deviation mark, the
// scale bar's length and the caption.
//
// Labels never overlap each other nor a marker. The start, the end and
// the deviation's distance are placed first, and always; then each
// waypoint's number, in route order, at the first of eight places around
// its marker that is clear, or not at all. A label's box is its text's
// length times 0.64 of its font size (0.72 in bold) wide and its font
// size high, from its baseline up.
#ifndef PREVIEW_LABELS_H
#define PREVIEW_LABELS_H

#include <string>

#include "preview/label_grid.h"
#include "preview/map_marks.h"
#include "preview/projection.h"
#include "preview/svg_picture.h"

namespace preview {

// The box of a label whose text starts at x on the baseline y.
Box label_box(double x, double baseline, const std::string& text, double font_size, bool bold);

// The boxes of the marks labels keep clear of: a waypoint's marker, the
// start's triangle, the end's square and the deviation's ring.
Box marker_box(double x, double y);
Box start_box(double x, double y);
Box end_box(double x, double y);
Box ring_box(double x, double y);

// Places a label that is always drawn: at (x, baseline) if that is
// clear, else at the first clear one of the eight places around the
// mark's box, and of eight more a few pixels farther out each time up to
// some 40 pixels; at (x, baseline) when none is. Takes its box.
Placed place_always(double x, double baseline, const Box& mark, const std::string& text, double font_size,
                    bool bold);

// Starts the placing of a picture's labels: takes the boxes of the
// markers and of the start, end and deviation marks that are drawn, then
// places the start's and the end's labels and returns the deviation's
// place, the labels always drawn.
Placed place_mark_labels(const Projection& at, const Marker* markers, int count, EndMark* start, EndMark* end,
                         const DeviationMark& mark);

// Places and writes the numbers beside the markers but the first and
// the last waypoint's, which are the start and the end; returns how many.
int put_number_labels(const Marker* markers, int count, int last_number);

// "35.8 m": the deviation as standard output gives it.
std::string deviation_text(double deviation_m);

// Where the distance beside the deviation ring at (x, y) goes first: on
// the side of the unit vector (dx, dy) away from its leg, and clear of the
// edges of a picture of width x height.
Placed deviation_label_place(double x, double y, double dx, double dy, double deviation_m, double width,
                             double height);

// What the caption says beyond the run's figures.
struct CaptionFacts {
    int marker_step, marker_count;  // how the markers were thinned
    int waypoints;                  // drawn, in the view or all
    int numbered;                   // numbers drawn
    int numberable;                 // the waypoints drawn but the start and the end
    bool view;
    Window window;  // drawn, for a view
    int view_points;
};

// The caption's lines from the baseline line_y down.
void put_caption(const Caption& caption, const CaptionFacts& facts, double x, double line_y);

// What a view drew, for standard output: "View: 55.03,82.91,55.04,82.95
// at 20,20 960x720 px: 812 track points and 46 waypoints in it", or ":
// no track point in it"; degrees in their shortest exact form, pixels to
// one decimal as the picture has them.
std::string view_line(const ViewFacts& view);

// "2nd", "3rd", "11th", "21st".
std::string ordinal(int n);

// "1,128".
std::string with_commas(long long n);

}  // namespace preview

#endif
