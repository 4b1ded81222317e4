// The measuring of the sweep's rows and the grid's routes, and the choice
// of the setting to draw.
#include "preview/fit_search.h"

#include <algorithm>

#include "core/entry.h"
#include "preview/exit_codes.h"
#include "preview/preview_report.h"
#include "preview/temporary_files.h"

namespace preview {

namespace {

double deviation_of(const PassState& state, int i) { return largest_deviation_m(state.route_meters[i]); }

// Whether setting a's route is to be preferred to b's: with --within the
// fewer waypoints, then the smaller deviation; with --fit alone the
// smaller deviation, then the fewer waypoints; then the earlier setting.
bool better(const PreviewSettings& run, const PassState& state, int a, int b) {
    double deviation_a = deviation_of(state, a), deviation_b = deviation_of(state, b);
    int count_a = state.counts[a], count_b = state.counts[b];
    if (run.within_m > 0 && count_a != count_b) return count_a < count_b;
    if (deviation_a != deviation_b) return deviation_a < deviation_b;
    if (count_a != count_b) return count_a < count_b;
    return a < b;
}

[[noreturn]] void end_without_fit(const PreviewSettings& run, bool any_in_budget) {
    print_no_fit(run, any_in_budget);
    remove_temporary_files();
    core::end_process(exit_no_fit);
}

}  // namespace

int measure_and_choose(const PreviewSettings& run, PassState* state) {
    int sweep_rows[rung_count];
    int sweep_count = 0;
    for (int i = 1; i < first_grid_thinning; ++i)
        if (state->has_route[i]) sweep_rows[sweep_count++] = i;
    if (run.fit_budget == 0 && run.within_m == 0) {
        if (sweep_count > 0) thin_and_measure(run.track_path, state, nullptr, 0, sweep_rows, sweep_count);
        return 0;
    }
    // The grid's routes within the budget, those likeliest to be chosen
    // first: with --within the fewest waypoints, with --fit alone the
    // most.
    static int candidates[most_thinnings - first_grid_thinning];
    int candidate_count = 0;
    for (int i = first_grid_thinning; i < most_thinnings; ++i)
        if (state->has_route[i] && (run.fit_budget == 0 || state->counts[i] <= run.fit_budget))
            candidates[candidate_count++] = i;
    if (candidate_count == 0) end_without_fit(run, false);
    bool fewest_first = run.within_m > 0;
    std::stable_sort(candidates, candidates + candidate_count, [&](int a, int b) {
        return fewest_first ? state->counts[a] < state->counts[b] : state->counts[a] > state->counts[b];
    });

    // Each pass measures the batch the pass before thinned, while it
    // thins the next; the sweep's rows are measured in the first.
    int chosen = -1;
    int pending[fit_batch_size + rung_count];
    int pending_count = 0;
    int next = 0;
    int measured[fit_batch_size + rung_count];
    for (int k = 0; k < sweep_count; ++k) pending[pending_count++] = sweep_rows[k];
    while (next < candidate_count || pending_count > 0) {
        int batch = std::min(fit_batch_size, candidate_count - next);
        int measured_count = pending_count;
        std::copy(pending, pending + pending_count, measured);
        thin_and_measure(run.track_path, state, candidates + next, batch, measured, measured_count);
        pending_count = 0;
        for (int k = 0; k < batch; ++k) pending[pending_count++] = candidates[next + k];
        next += batch;
        for (int k = 0; k < measured_count; ++k) {
            int i = measured[k];
            if (i < first_grid_thinning) continue;
            bool qualifies = run.within_m == 0 || deviation_of(*state, i) <= run.within_m;
            if (qualifies && (chosen < 0 || better(run, *state, i, chosen))) {
                if (chosen >= 0) remove_route_file(chosen);
                chosen = i;
            } else {
                remove_route_file(i);
            }
        }
        // Fewest first: no later batch has fewer waypoints.
        if (fewest_first && chosen >= 0) break;
    }
    if (chosen < 0) end_without_fit(run, true);
    return chosen;
}

}  // namespace preview
