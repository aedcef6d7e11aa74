#include "device/RegisterDeviceCallBacksMac.h"

#include <gtest/gtest.h>

namespace
{
TAVRIN_Report reportWith(std::initializer_list<std::pair<int, std::uint8_t>> bytes)
{
    TAVRIN_Report report{};
    for (const auto& [index, value] : bytes)
        report[(std::size_t)index] = value;
    return report;
}

TEST(HidReportTest, AttachReportBytes)
{
    EXPECT_EQ(AttachReport(), reportWith({{0, 0x16}, {1, 0x34}, {2, 0x1A}, {4, 0x01}, {21, 0x80}}));
}
} // namespace
