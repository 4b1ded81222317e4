// The preview's run: the command line, a survey pass that thins the track
// under every setting it needs and finds its extent, the choice of the
// setting to draw, and a drawing pass that writes the picture.
#ifndef PREVIEW_PREVIEW_RUN_H
#define PREVIEW_PREVIEW_RUN_H

namespace preview {

// Runs the preview and ends the process with its exit code (see
// preview/exit_codes.h).
[[noreturn]] void run_preview(int argc, char** argv);

}  // namespace preview

#endif
