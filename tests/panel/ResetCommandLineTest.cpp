#include "panel/ResetCommandLine.h"

#include <gtest/gtest.h>

TEST(ResetCommandLine, OnlyTheWholeWordInAnyCaseIsAReset)
{
    for (const char* reset : {"/default", "/defaults", "/DEFAULT", "/Defaults", "/dEfAuLtS"})
        EXPECT_TRUE(isResetCommandLine(reset)) << reset;
    for (const char* other : {"", "/def", "default", "defaults", "/defaults2", "/default x",
                              " /default", "/default ", "/defaultss", "\"/default\""})
        EXPECT_FALSE(isResetCommandLine(other)) << other;
}
