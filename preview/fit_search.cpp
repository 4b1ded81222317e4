// The choice of the fit's setting: from the deviations the survey measured
// where they are exact, and from route files, in batches, for the rest;
// and the measuring of the sweep's rows.
#include "preview/fit_search.h"

#include <algorithm>

#include "core/distance.h"
#include "core/entry.h"
#include "preview/exit_codes.h"
#include "preview/preview_report.h"
#include "preview/temporary_files.h"

namespace preview {

namespace {

// Whether setting a's route is to be preferred to b's: with --within the
// fewer waypoints, then the smaller deviation; with --fit alone the
// smaller deviation, then the fewer waypoints; then the earlier setting.
bool better(const PreviewSettings& run, const PassState& state, int a, int b) {
    double deviation_a = state.deviation_m[a], deviation_b = state.deviation_m[b];
    int count_a = state.counts[a], count_b = state.counts[b];
    if (run.within_m > 0 && count_a != count_b) return count_a < count_b;
    if (deviation_a != deviation_b) return deviation_a < deviation_b;
    if (count_a != count_b) return count_a < count_b;
    return a < b;
}

bool qualifies(const PreviewSettings& run, const PassState& state, int i) {
    return run.within_m == 0 || state.deviation_m[i] <= run.within_m;
}

// Whether a setting not measured yet may still be preferred to chosen:
// with --within by its count, with --fit by the deviation the survey
// found of its legs so far, which its whole route can only exceed.
bool may_beat(const PreviewSettings& run, const PassState& state, int i, int chosen) {
    if (chosen < 0) return true;
    if (run.within_m > 0) return state.counts[i] <= state.counts[chosen];
    return state.legs_measured[i].worst_rad * core::earth_radius_m <= state.deviation_m[chosen];
}

[[noreturn]] void end_without_fit(const PreviewSettings& run, bool any_in_budget) {
    print_no_fit(run, any_in_budget);
    remove_temporary_files();
    core::end_process(exit_no_fit);
}

// Takes setting i, measured, as chosen where it is preferred; a route file
// no longer needed goes.
void take_measured(const PreviewSettings& run, PassState* state, int i, int* chosen) {
    if (qualifies(run, *state, i) && (*chosen < 0 || better(run, *state, i, *chosen))) {
        if (*chosen >= 0 && state->route_files[*chosen] != nullptr) remove_route_file(*chosen);
        *chosen = i;
        return;
    }
    if (state->route_files[i] != nullptr) remove_route_file(i);
    state->route_files[i] = nullptr;
}

}  // namespace

int measure_and_choose(const PreviewSettings& run, PassState* state) {
    int pending[fit_batch_size + rung_count];
    int pending_count = 0;
    for (int i = 1; i < first_grid_thinning; ++i)
        if (state->has_route[i]) pending[pending_count++] = i;
    if (run.fit_budget == 0 && run.within_m == 0) {
        if (pending_count > 0) thin_and_measure(run.track_path, state, nullptr, 0, pending, pending_count);
        return 0;
    }
    // The settings measured in the survey first; the others, likeliest to
    // be chosen first (with --within the fewest waypoints, with --fit alone
    // the most), from their route files.
    static int unmeasured[most_thinnings - first_grid_thinning];
    int unmeasured_count = 0;
    int chosen = -1;
    bool any_in_budget = false;
    for (int i = first_grid_thinning; i < most_thinnings; ++i) {
        bool in_budget = state->has_route[i] && (run.fit_budget == 0 || state->counts[i] <= run.fit_budget);
        any_in_budget = any_in_budget || in_budget || state->beyond_distance[i];
        if (!in_budget) continue;
        if (state->deviation_m[i] >= 0)
            take_measured(run, state, i, &chosen);
        else
            unmeasured[unmeasured_count++] = i;
    }
    bool fewest_first = run.within_m > 0;
    std::stable_sort(unmeasured, unmeasured + unmeasured_count, [&](int a, int b) {
        return fewest_first ? state->counts[a] < state->counts[b] : state->counts[a] > state->counts[b];
    });

    // Each pass measures the batch the pass before thinned, while it
    // thins the next; the sweep's rows are measured in the first.
    int measured[fit_batch_size + rung_count];
    int next = 0;
    while (next < unmeasured_count || pending_count > 0) {
        int batch[fit_batch_size];
        int batch_count = 0;
        for (; next < unmeasured_count && batch_count < fit_batch_size; ++next)
            if (may_beat(run, *state, unmeasured[next], chosen)) batch[batch_count++] = unmeasured[next];
        if (batch_count == 0 && pending_count == 0) break;
        int measured_count = pending_count;
        std::copy(pending, pending + pending_count, measured);
        thin_and_measure(run.track_path, state, batch, batch_count, measured, measured_count);
        std::copy(batch, batch + batch_count, pending);
        pending_count = batch_count;
        for (int k = 0; k < measured_count; ++k) {
            int i = measured[k];
            if (i < first_grid_thinning) continue;
            state->deviation_m[i] = largest_deviation_m(state->route_meters[i]);
            take_measured(run, state, i, &chosen);
        }
    }
    if (chosen < 0) end_without_fit(run, any_in_budget);
    // The route drawn is read from its file.
    if (state->route_files[chosen] == nullptr) thin_and_measure(run.track_path, state, &chosen, 1, nullptr, 0);
    return chosen;
}

}  // namespace preview
