#include "panel/QuitSignals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace
{
// Without a descriptor for its pipe, the signals keep the system's handling: said once.
TEST(QuitSignals, SaysSoWhenTheSignalsCannotBeCaught)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            rlimit saved;
            getrlimit(RLIMIT_NOFILE, &saved);
            rlimit none = saved;
            none.rlim_cur = 0;
            setrlimit(RLIMIT_NOFILE, &none);
            {
                QuitSignals signals("K71VT", [] {});
            }
            setrlimit(RLIMIT_NOFILE, &saved);
            // The child made a HOME of its own, and nothing else will remove it.
            const std::string removeHome = "rm -rf '" + std::string(std::getenv("HOME")) + "'";
            _exit(std::system(removeHome.c_str()) == 0 ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        "K71VT: SIGTERM and SIGHUP cannot be caught \\(pipe2: Too many open files\\); they end "
        "the program without storing its settings\n$");
}
} // namespace
