// The waypoint decision from bounds: what a thinning holds per threshold
// and per reference bearing so that most comparisons need neither exact
// values nor bounds, and the counts of those that did need exact values.
#ifndef CORE_BOUNDED_DECISION_H
#define CORE_BOUNDED_DECISION_H

#include "core/command_line.h"
#include "core/distance.h"

namespace core {

// The two sectors of a thinning, the bearings about the reference bearing
// that make no waypoint: turn (within the maximal angle) and offset
// (within the maximal orthogonal error); and the index of each in the
// arrays of their widths.
enum SectorKind { turn_sector = 0, offset_sector = 1 };

// The two sides of a bearing, by the sign of its arc cosine's scale.
enum BearingSide { east_side = 0, west_side = 1 };

// Whether a sector, or the near cosine, has been worked out, and whether
// it holds.
enum SectorState : signed char { sector_unknown = 0, sector_holds = 1, no_sector = -1 };

// waypoint_decision of the exact values of the five, decided from their
// bounds wherever these leave no doubt; a value is computed (and kept)
// only for a comparison they do not decide, and pending bounds are taken
// only where a comparison needs them. Where leg_is_reference is set, the
// leg's bearing is the reference bearing itself. sectors, if not nullptr,
// belong to these limits and this reference (emptied whenever it
// changes), and let comparisons of pending values go without bounds.
struct DecisionSectors;
int bounded_waypoint_decision(const RunSettings& limits, BoundedValue* leg_distance_m,
                              BoundedValue* leg_bearing_deg, BoundedValue* step_distance_m,
                              BoundedValue* step_bearing_deg, BoundedValue* reference_bearing_deg,
                              bool leg_is_reference, DecisionSectors* sectors);

// For one reference bearing, per side (east, west) of a bearing: an
// interval of the argument x of its arc cosine within which the bearing
// is certainly near enough the reference, so that a bearing with x inside
// needs no bounds at all. Worked out the first time a bearing on that
// side asks, and checked then with the bounds of acos_bounds at both
// ends; forgotten when the reference changes.
struct BearingSector {
    SectorState state[2];  // by BearingSide
    double x_lo[2];
    double x_hi[2];
};

// What a thinning works out once, or once per reference bearing, for its
// thresholds.
struct DecisionSectors {
    BearingSector turn;    // step bearings that turn by no more than the maximal angle
    BearingSector offset;  // leg bearings whose offset, for a leg not above the
                           // maximal distance, is not above the maximal orthogonal error
    // The half widths of the two, in degrees, with their cosines and sines;
    // worked out once.
    bool widths_known;
    double width_deg[2];  // by SectorKind
    double width_cos[2];
    double width_sin[2];
    // From this distance argument (the cosine of the central angle) up, a
    // leg is not above the maximal distance; worked out once.
    SectorState near_state;
    double near_cosine;
};

// How often a comparison was too close for the bounds and needed exact
// values, since the process started: counted only in a build with
// COUNT_EXACT_PATHS on, for bench/exact_path_counts, and all zero in
// every other.
struct ExactPathCounts {
    long long step_below_minimum;  // step distance vs the minimal distance
    long long leg_below_minimum;   // leg distance vs the minimal distance
    long long leg_above_maximum;   // leg distance vs the maximal distance
    long long turn;                // turn vs the maximal angle
    long long offset;              // offset vs the maximal orthogonal error
    long long track_length;        // the hop added to the track length
};
extern ExactPathCounts exact_path_counts;

#ifndef COUNT_EXACT_PATHS
#define COUNT_EXACT_PATHS 0
#endif

// Counts one more exact value at counter, in a counting build.
inline void count_exact_path(long long* counter) {
    if constexpr (COUNT_EXACT_PATHS != 0) ++*counter;
    else (void)counter;
}

}  // namespace core

#endif
