// The closest route for a run: with --within, the route for that
// distance; with --fit, the route for the smallest distance that keeps
// within the budget, searched over a few passes, several distances a pass.
#ifndef PREVIEW_CLOSEST_SEARCH_H
#define PREVIEW_CLOSEST_SEARCH_H

#include <cstdio>

#include "preview/closest_route.h"

namespace preview {

// Distances tried in one pass; each has a leg store of its own.
inline constexpr int closest_tries = 4;
// Route files: one for each try, and one that keeps the best route so far.
inline constexpr int closest_route_files = closest_tries + 1;
// The distances tried, written with this many significant digits, are
// read back from their text, so that the text reproduces the route.
inline constexpr int distance_digits = 4;
// The search ends when the distance that fits and the one that does not
// are this close.
inline constexpr double closest_ratio = 1.01;

struct ClosestSearch {
    int budget;  // at most this many waypoints; 0 for none
    // The distance given, tried alone; 0 when the search finds one.
    double given_m;
    char given_text[32];
    // The tries of this pass, each in a route file slot.
    int try_count;
    ClosestRoute tries[closest_tries];
    int try_slot[closest_tries];
    bool try_running[closest_tries];
    char try_text[closest_tries][32];
    LegStore stores[closest_tries];
    std::FILE* files[closest_route_files];
    // What the passes found: a distance whose route has more waypoints
    // than the budget (0 for none yet), and the smallest whose route is
    // within it (0 for none yet), kept in route file slot fitting_slot.
    double too_small_m;
    double fitting_m;
    char fitting_text[32];
    int fitting_slot;
    int fitting_count;
    bool write_failed;
};

// Starts a search. With a budget of 0 the one distance is tried alone.
void start_closest_search(ClosestSearch* search, int budget, double within_m, const char* within_text);

// Plans the next pass: the distances to try, each with its route file
// open. False when the search is over.
bool plan_closest_pass(ClosestSearch* search);

// Takes the next track point in every try still running.
void take_point_in_tries(ClosestSearch* search, const core::TrackPoint& point, const UnitVector& position);

// Ends the pass's tries and takes what they found. False when a route file
// could not be written.
bool end_closest_pass(ClosestSearch* search);

}  // namespace preview

#endif
