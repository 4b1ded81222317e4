#include "preview/label_grid.h"

#include <cmath>

#include "preview/projection.h"
#include "preview/svg_picture.h"

namespace preview {

namespace {

// Buckets of this many pixels each way; a label spans a few.
constexpr double bucket_px = 32.0;
constexpr int most_columns = static_cast<int>(largest_picture_side / bucket_px) + 2;
constexpr int most_buckets = most_columns * most_columns;
// Every marker and its number, the start, end and deviation marks and
// their labels.
constexpr int most_boxes = 2 * (most_markers + 2) + 8;
// A box in as many buckets as it spans: a marker or a number (at most
// 45 pixels wide) in six at most; the start's, the end's and the
// deviation's labels, some 120 pixels wide, in ten.
constexpr int most_entries = most_boxes * 6 + 64;

Box boxes[most_boxes];
int box_count = 0;
// Each bucket's boxes as a list through entries, -1 ending it.
int bucket_first[most_buckets];
struct Entry {
    int box;
    int next;
};
Entry entries[most_entries];
int entry_count = 0;
int columns = 0, rows = 0;
Box area;

int bucket_index(double v, int count) {
    double i = std::floor(v / bucket_px);
    if (!(i >= 0)) return 0;
    return i >= count - 1 ? count - 1 : static_cast<int>(i);
}

bool overlap(const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

void start_label_grid(double width, double height, const Box& label_area) {
    columns = bucket_index(width, most_columns) + 1;
    rows = bucket_index(height, most_columns) + 1;
    for (int i = 0; i < columns * rows; ++i) bucket_first[i] = -1;
    box_count = 0;
    entry_count = 0;
    area = label_area;
}

bool take_box(const Box& box) {
    if (box_count >= most_boxes) return false;
    int c0 = bucket_index(box.left, columns), c1 = bucket_index(box.right, columns);
    int r0 = bucket_index(box.top, rows), r1 = bucket_index(box.bottom, rows);
    if (entry_count + (c1 - c0 + 1) * (r1 - r0 + 1) > most_entries) return false;
    boxes[box_count] = box;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            int b = r * columns + c;
            entries[entry_count] = {box_count, bucket_first[b]};
            bucket_first[b] = entry_count++;
        }
    ++box_count;
    return true;
}

bool is_clear(const Box& box) {
    if (!(box.left >= area.left && box.right <= area.right && box.top >= area.top && box.bottom <= area.bottom))
        return false;
    int c0 = bucket_index(box.left, columns), c1 = bucket_index(box.right, columns);
    int r0 = bucket_index(box.top, rows), r1 = bucket_index(box.bottom, rows);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            for (int e = bucket_first[r * columns + c]; e >= 0; e = entries[e].next)
                if (overlap(box, boxes[entries[e].box])) return false;
    return true;
}

}  // namespace preview
