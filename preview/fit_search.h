// The converter's setting for --fit and --within, from the survey's
// settings: with --fit the route with the smallest deviation among those
// with at most the budget's waypoints, with --within the one with the
// fewest waypoints among those within the distance (with both, the fewest
// within the distance and the budget). The survey measured most routes
// already; the rest are measured in batches, a batch thinned into route
// files in one pass and measured in the next while the following batch is
// thinned, so that only so many files are open at once.
#ifndef PREVIEW_FIT_SEARCH_H
#define PREVIEW_FIT_SEARCH_H

#include "preview/preview_options.h"
#include "preview/track_passes.h"

namespace preview {

// Routes thinned into files in one pass.
inline constexpr int fit_batch_size = 150;

// Measures the sweep's rows, and with --fit or --within the grid's
// routes, and returns the setting chosen (0 without either). Ends the run
// with exit_no_fit when no setting qualifies.
int measure_and_choose(const PreviewSettings& run, PassState* state);

}  // namespace preview

#endif
