// An interrupt while the preview writes: its temporary files are removed
// and the process ends by the signal, leaving the picture's name free.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "core/run_slots.h"
#include "preview/temporary_files.h"
#include "tests/support/test_support.h"

namespace {

#if GTEST_HAS_DEATH_TEST
TEST(TemporaryFilesDeathTest, AnInterruptRemovesThemAndEndsTheRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::remove("interrupted.svg.0.tmp");
    std::remove("interrupted.svg.tmp");
    // Ends as the signal's default action ends a process; the exit status
    // of that differs between systems, what is left on disk does not.
    EXPECT_EXIT(
        {
            preview::start_temporary_files("interrupted.svg");
            bool opened = preview::open_route_file(0) != nullptr && preview::open_picture_file();
            if (!opened || !test_support::file_exists("interrupted.svg.0.tmp") ||
                !test_support::file_exists("interrupted.svg.tmp"))
                std::_Exit(0);
            std::raise(SIGINT);
            preview::check_interrupt();
            std::_Exit(0);
        },
        [](int status) { return status != 0; }, "");
    EXPECT_FALSE(test_support::file_exists("interrupted.svg.0.tmp"));
    EXPECT_FALSE(test_support::file_exists("interrupted.svg.tmp"));
    EXPECT_FALSE(test_support::file_exists("interrupted.svg"));
}
#endif

}  // namespace
