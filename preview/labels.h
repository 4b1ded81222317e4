// The picture's words and numbers: the waypoints' numbers beside their
// markers, the start and end, the distance at the deviation mark, the
// scale bar's length and the caption.
#ifndef PREVIEW_LABELS_H
#define PREVIEW_LABELS_H

#include <string>

#include "preview/map_marks.h"
#include "preview/svg_picture.h"

namespace preview {

// The numbers beside the markers; with many, on about 200 of them.
void put_number_labels(const Marker* markers, int count);

// "Start" and "End" beside their marks.
void put_start_end_labels(double start_x, double start_y, double end_x, double end_y);

// "35.8 m": the deviation as standard output gives it.
std::string deviation_text(double deviation_m);

// The distance beside the deviation ring at (x, y), on the side of the
// unit vector (dx, dy) away from its leg, and clear of the edges of a
// picture of width x height.
void put_deviation_label(double x, double y, double dx, double dy, double deviation_m, double width,
                         double height);

// The caption's lines from the baseline line_y down; marker_step and
// marker_count say how the markers were thinned.
void put_caption(const Caption& caption, double x, double line_y, int marker_step, int marker_count);

// "2nd", "3rd", "11th", "21st".
std::string ordinal(int n);

}  // namespace preview

#endif
