// The routing record and its pattern writer.
#include "DeviceTestSupport.h"

#include <cstring>

namespace
{
using namespace k71test;

bool entryIs(const TAVRIN_MixerEntry& e, std::int64_t w1, std::int64_t w2, std::int64_t w3,
             std::int64_t w4, std::int64_t w5, std::int64_t w6 = 0)
{
    return e.w1 == w1 && e.w2 == w2 && e.w3 == w3 && e.w4 == w4 && e.w5 == w5 && e.w6 == w6;
}

// Every word zero except entries 18 and 24, which hold the pattern when asked.
void expectClearedRecord(bool withPattern)
{
    for (const auto word : MyDeviceMixer.head)
        EXPECT_EQ(word, 0);
    for (int i = 0; i < 32; ++i)
    {
        const auto& e = MyDeviceMixer.entries[i];
        if (withPattern && i == 18)
            EXPECT_TRUE(entryIs(e, 0, 1, 0, 0, 0)) << i;
        else if (withPattern && i == 24)
            EXPECT_TRUE(entryIs(e, 1, 0, 2, 1, 2)) << i;
        else
            EXPECT_TRUE(entryIs(e, 0, 0, 0, 0, 0)) << i;
    }
}

// What the routing menu entries run.
void loopLineEntry()
{
    MyDeviceMixerReset();
    MyDeviceMixerDefaultFill();
    MyDeviceMixerClear();
}

class RoutingRecord : public DeviceLink
{
};

TEST_F(RoutingRecord, DefaultFillWritesItsEntriesAndLeavesTheRest)
{
    std::memset(&MyDeviceMixer, 0x11, sizeof(MyDeviceMixer));
    MyDeviceMixerDefaultFill();
    const std::int64_t untouched = 0x1111111111111111;
    for (const auto word : MyDeviceMixer.head)
        EXPECT_EQ(word, untouched);
    struct Expected
    {
        int entry;
        std::int64_t w1, w2, w3, w4, w5;
    };
    const Expected defaults[] = {{0, 0, 3, 0, 0, 0},  {1, 0, 3, 0, 0, 0},  {2, 1, 0, 2, 1, 2},
                                 {3, 1, 0, 2, 1, 3},  {4, 1, 2, 2, 1, 4},  {5, 1, 2, 2, 1, 5},
                                 {16, 1, 0, 0, 1, 0}, {17, 1, 0, 0, 1, 1}, {18, 1, 1, 0, 1, 0},
                                 {19, 1, 1, 0, 1, 1}, {20, 1, 1, 0, 1, 0}, {21, 1, 1, 0, 1, 1}};
    const auto& e = MyDeviceMixer.entries;
    const std::int64_t w6 = untouched;
    for (const auto& d : defaults)
        EXPECT_TRUE(entryIs(e[d.entry], d.w1, d.w2, d.w3, d.w4, d.w5, w6)) << d.entry;
    for (int i : {8, 9, 10, 11, 12, 13, 24, 25, 26, 27, 28, 29})
        EXPECT_TRUE(entryIs(e[i], 0, 0, 0, 0, 0, w6)) << i;
    for (int i : {6, 7, 14, 15, 22, 23, 30, 31})
        EXPECT_TRUE(entryIs(e[i], untouched, untouched, untouched, untouched, untouched, w6)) << i;
}

TEST_F(RoutingRecord, UsesAlternateBetweenZeroAndThePatternWhicheverEntryRuns)
{
    loopLineEntry();
    expectClearedRecord(false);
    MyDeviceMixerClear(); // the "Reset" entry
    expectClearedRecord(true);
    MyDeviceMixerClear();
    expectClearedRecord(false);
    loopLineEntry();
    expectClearedRecord(true);
}

TEST_F(RoutingRecord, TouchesNoDevice)
{
    sim::plugInterface();
    registerDeviceLink();
    settle();
    sim::clearRecords();
    loopLineEntry();
    MyDeviceMixerClear();
    settle();
    EXPECT_TRUE(sim::hidReports().empty());
    EXPECT_TRUE(sim::propertyWrites().empty());
    EXPECT_TRUE(sim::propertyReads().empty());
}

// The alternation belongs to the process; a reset for tests starts it again.
TEST_F(RoutingRecord, ResetStartsTheAlternationAgain)
{
    MyDeviceMixerClear();
    sim::resetSimulation();
    MyDeviceMixerClear();
    expectClearedRecord(false);
}
} // namespace
