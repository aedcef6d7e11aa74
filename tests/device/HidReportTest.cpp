// The three HID command reports, their sender and the rate the channel-status
// report carries.
#include "DeviceTestSupport.h"
#include "support/GoldenReports.h"

#include <limits>

namespace
{
using namespace k71test;

TEST(HidReportBytes, AttachAndMonitoring)
{
    EXPECT_EQ(AttachReport(), golden::attach);
    EXPECT_EQ(MonitoringReport(true), golden::monitoringOn);
    EXPECT_EQ(MonitoringReport(false), golden::monitoringOff);
}

TEST(HidReportBytes, ChannelStatusForEveryFlagCombinationAndRateCode)
{
    struct FlagCase
    {
        int proConFlag, copyNoneFlag;
        std::uint8_t flagByte;
    };
    const FlagCase flags[] = {{0, 0, 0x05}, {1, 1, 0x00}, {0, 1, 0x01}, {1, 0, 0x04}};
    const std::uint8_t codes[] = {0x00, 0x20, 0x30};
    for (const auto& flag : flags)
    {
        EXPECT_EQ(ChannelStatusFlagByte(flag.proConFlag, flag.copyNoneFlag), flag.flagByte);
        for (const std::uint8_t code : codes)
            EXPECT_EQ(ChannelStatusReport(flag.flagByte, code),
                      golden::channelStatus(flag.flagByte, code));
    }
}

TEST(HidReportBytes, RateCodeOfTheTruncatedRate)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, std::uint8_t> cases[] = {
        {32000.0, 0x30}, {32000.9, 0x30}, {48000.0, 0x20}, {48000.5, 0x20},  {47999.9, 0x00},
        {44100.0, 0x00}, {96000.0, 0x00}, {0.0, 0x00},     {-32000.0, 0x00}, {1e300, 0x00},
        {nan, 0x00},     {inf, 0x00},     {-inf, 0x00}};
    for (const auto& [rate, code] : cases)
        EXPECT_EQ(ChannelStatusRateCode(rate), code) << rate;
}

class HidSend : public DeviceLink
{
};

TEST_F(HidSend, SendsOutputReportZeroToTheHandleAndNothingWithout)
{
    hw_sendReport(AttachReport());
    EXPECT_TRUE(sim::hidReports().empty());

    const IOHIDDeviceRef device = sim::plugHidDevice({});
    ghidInterface = device;
    hw_sendReport(AttachReport());
    hw_sendReport(MonitoringReport(true));
    const auto reports = sim::hidReports();
    ASSERT_EQ(reports.size(), 2u);
    for (const auto& report : reports)
    {
        EXPECT_EQ(report.device, device);
        EXPECT_EQ(report.type, hidReportTypeOutput);
        EXPECT_EQ(report.reportID, 0);
        EXPECT_EQ(report.bytes.size(), 27u);
        EXPECT_EQ(report.status, 0);
    }
    const TAVRIN_Report attach = AttachReport(), monitoring = MonitoringReport(true);
    EXPECT_EQ(reports[0].bytes, std::vector<std::uint8_t>(attach.begin(), attach.end()));
    EXPECT_EQ(reports[1].bytes, std::vector<std::uint8_t>(monitoring.begin(), monitoring.end()));
}

struct ChannelRateCase
{
    const char* what;
    double inputRate, outputRate;
    bool inputRefuses;
    bool noDevices;
    double expectedRate;
    std::uint8_t expectedCode;
    int expectedWrites; // by hw_setSampleRate
};

class ChannelStatusRate : public DeviceLink, public ::testing::WithParamInterface<ChannelRateCase>
{
};

TEST_P(ChannelStatusRate, TakesTheCommonRateOrBringsBothToTheOutputs)
{
    const auto& c = GetParam();
    sim::AudioDeviceConfig config;
    config.hasOutput = false;
    config.sampleRate = c.inputRate;
    const AudioObjectID input = sim::plugAudioDevice(config);
    config.hasOutput = true;
    config.hasInput = false;
    config.sampleRate = c.outputRate;
    const AudioObjectID output = sim::plugAudioDevice(config);
    if (c.inputRefuses)
        sim::refuseAllRates(input);
    gInAudioObjectID = c.noDevices ? 0 : input;
    gOutAudioObjectID = c.noDevices ? 0 : output;
    ghidInterface = sim::plugHidDevice({});

    const double rate = hw_channelStatusRate();
    EXPECT_EQ(rate, c.expectedRate);
    EXPECT_EQ((int)sim::propertyWrites().size(), c.expectedWrites);
    hw_sendReport(ChannelStatusReport(ChannelStatusFlagByte(0, 0), ChannelStatusRateCode(rate)));
    const auto reports = sim::hidReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].bytes[24], 0x05);
    EXPECT_EQ(reports[0].bytes[25], c.expectedCode);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, ChannelStatusRate,
    ::testing::Values(ChannelRateCase{"Both44", 44100, 44100, false, false, 44100, 0x00, 0},
                      ChannelRateCase{"Both48", 48000, 48000, false, false, 48000, 0x20, 0},
                      ChannelRateCase{"Both32", 32000, 32000, false, false, 32000, 0x30, 0},
                      ChannelRateCase{"Both96", 96000, 96000, false, false, 96000, 0x00, 0},
                      ChannelRateCase{"OutputWins", 44100, 48000, false, false, 48000, 0x20, 2},
                      ChannelRateCase{"OutputWins32", 44100, 32000, false, false, 32000, 0x30, 2},
                      ChannelRateCase{"NoAgreement", 44100, 48000, true, false, 0, 0x00, 2},
                      ChannelRateCase{"NoDevices", 44100, 48000, false, true, 0, 0x00, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(DeviceLink, ChannelStatusRateIsZeroWhenTheOutputReadFails)
{
    sim::AudioDeviceConfig config;
    gInAudioObjectID = sim::plugAudioDevice(config);
    gOutAudioObjectID = 999999; // gone
    EXPECT_EQ(hw_channelStatusRate(), 0.0);
    EXPECT_TRUE(sim::propertyWrites().empty());
}
} // namespace
