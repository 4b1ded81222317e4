// Where the picture's labels may go: the boxes already taken by markers
// and labels, kept in a fixed grid of buckets over the picture so that a
// box is checked against its neighbours only. The boxes are bounded by
// the markers a picture draws, so memory is the same for any track.
#ifndef PREVIEW_LABEL_GRID_H
#define PREVIEW_LABEL_GRID_H

namespace preview {

// A box in pixels, y growing downwards.
struct Box {
    double left, top, right, bottom;
};

// Starts an empty grid over a picture of width x height pixels; labels
// must keep within the given area of it.
void start_label_grid(double width, double height, const Box& label_area);

// Takes the box; false when the grid is full, which it is not for the
// markers and labels of one picture.
bool take_box(const Box& box);

// Whether a label's box lies within the label area and overlaps no box
// taken.
bool is_clear(const Box& box);

}  // namespace preview

#endif
