// How a reader hands over the points of a track, one call per point or
// record, and the loop that passes over records that give none.
#ifndef CORE_POINT_READER_H
#define CORE_POINT_READER_H

#include "core/track_point.h"

namespace core {

// A reader's point or record operation: 0 when a point was read into
// *point, negative at the end of the input, positive when the record gave
// no point and the next one should be tried. A reader's read_next_point
// never returns a positive value.
using PointReader = int (*)(TrackPoint* point);

// Calls parse_record with point until it returns 0 or a negative value,
// and returns that value: the shared read_next_point of the line and tag
// readers.
inline int read_next_point(PointReader parse_record, TrackPoint* point) {
    int result;
    do {
        result = parse_record(point);
    } while (result > 0);
    return result;
}

}  // namespace core

#endif
