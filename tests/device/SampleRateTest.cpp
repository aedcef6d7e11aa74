// Setting one sample rate on both audio devices.
#include "DeviceTestSupport.h"

#include <optional>
#include <thread>

namespace
{
using namespace k71test;

// The wait runs until the millisecond counter has moved on this far from its start, so a
// call that waited took at least this long and one that waited twice at least double:
// any shorter call waited none, however loaded the machine.
constexpr juce::uint32 rateWaitMs = 300;

class SeparateAudioDevices : public DeviceLink
{
  protected:
    void SetUp() override
    {
        DeviceLink::SetUp();
        sim::AudioDeviceConfig config;
        config.sampleRate = 44100.0;
        config.hasOutput = false;
        input = sim::plugAudioDevice(config);
        config.hasOutput = true;
        config.hasInput = false;
        output = sim::plugAudioDevice(config);
        gInAudioObjectID = input;
        gOutAudioObjectID = output;
    }

    // Runs hw_setSampleRate and tells how long it took.
    bool setRate(double rate, juce::uint32& elapsedMs)
    {
        const auto start = juce::Time::getMillisecondCounter();
        const bool result = hw_setSampleRate(rate);
        elapsedMs = juce::Time::getMillisecondCounter() - start;
        return result;
    }

    static int rateReads()
    {
        int count = 0;
        for (const auto& read : sim::propertyReads())
            if (read.address == propertyAddress("nsrt", "****", 0))
                ++count;
        return count;
    }

    AudioObjectID input = 0, output = 0;
};

TEST_F(SeparateAudioDevices, ExactlyThirtyTwoKilohertzGoesThroughThePhysicalFormat)
{
    juce::uint32 elapsed = 0;
    EXPECT_TRUE(setRate(32000.0, elapsed));

    const auto writes = sim::propertyWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].object, input);
    EXPECT_EQ(writes[1].object, output);
    for (const auto& write : writes)
    {
        EXPECT_EQ(write.address, propertyAddress("pft ", "****", 0));
        ASSERT_EQ(write.data.size(), 40u);
        const AudioStreamDescription format = write.asStreamDescription();
        EXPECT_EQ(format.sampleRate, 32000.0);
        EXPECT_EQ(format.formatID, fourCC("lpcm"));
        EXPECT_EQ(format.formatFlags, 12u);
        EXPECT_EQ(format.bytesPerPacket, 4u);
        EXPECT_EQ(format.framesPerPacket, 1u);
        EXPECT_EQ(format.bytesPerFrame, 4u);
        EXPECT_EQ(format.channelsPerFrame, 2u);
        EXPECT_EQ(format.bitsPerChannel, 16u);
        EXPECT_EQ(format.reserved, 0u);
        EXPECT_EQ(write.status, 0);
    }
    EXPECT_EQ(sim::nominalRate(input), 32000.0);
    EXPECT_EQ(sim::nominalRate(output), 32000.0);
}

TEST_F(SeparateAudioDevices, OtherRatesGoThroughTheNominalRate)
{
    for (const double rate : {44100.0, 48000.0, 32000.000001, 31999.999999})
    {
        sim::clearRecords();
        juce::uint32 elapsed = 0;
        setRate(rate, elapsed);
        const auto writes = sim::propertyWrites();
        ASSERT_EQ(writes.size(), 2u) << rate;
        EXPECT_EQ(writes[0].object, input);
        EXPECT_EQ(writes[1].object, output);
        for (const auto& write : writes)
        {
            EXPECT_EQ(write.address, propertyAddress("nsrt", "****", 0));
            EXPECT_EQ(write.data.size(), 8u);
            EXPECT_EQ(write.asDouble(), rate);
        }
    }
}

TEST_F(SeparateAudioDevices, AgreementReturnsTrueWithoutWaiting)
{
    juce::uint32 elapsed = 0;
    EXPECT_TRUE(setRate(48000.0, elapsed));
    EXPECT_LT(elapsed, rateWaitMs);
    EXPECT_EQ(rateReads(), 2);
    const auto reads = sim::propertyReads();
    EXPECT_EQ(reads[0].object, input);
    EXPECT_EQ(reads[1].object, output);
}

TEST_F(SeparateAudioDevices, LastingDisagreementWaitsOnceAndReturnsFalse)
{
    sim::refuseAllRates(input);
    juce::uint32 elapsed = 0;
    EXPECT_FALSE(setRate(48000.0, elapsed));
    EXPECT_GE(elapsed, rateWaitMs);
    EXPECT_LT(elapsed, 2 * rateWaitMs);
    EXPECT_EQ(rateReads(), 4);
}

TEST_F(SeparateAudioDevices, AgreementReachedDuringTheWaitReturnsTrue)
{
    sim::refuseAllRates(input);
    // The clock settles late, on a thread of the hardware's own: once the first look has
    // found the devices apart, and before the look after the wait.
    sim::setReadHook(
        [this](const sim::PropertyRead&)
        {
            if (rateReads() == 2)
                std::thread([this] { sim::setNominalRate(input, 48000.0); }).join();
        });
    juce::uint32 elapsed = 0;
    const bool agreed = setRate(48000.0, elapsed);
    EXPECT_TRUE(agreed);
    EXPECT_GE(elapsed, rateWaitMs);
    EXPECT_EQ(rateReads(), 4);
}

// What happens to the devices between the first read-back, which finds them apart, and
// the one after the wait.
struct SecondLookCase
{
    const char* what;
    std::optional<double> inputRate, outputRate; // nullopt: the rate can no longer be read
    bool agreed;
};

class SecondLook : public SeparateAudioDevices, public ::testing::WithParamInterface<SecondLookCase>
{
};

TEST_P(SecondLook, ReadsInputThenOutputAndNeedsBothReads)
{
    const auto& c = GetParam();
    sim::refuseAllRates(input);
    const auto changeTo = [](AudioObjectID device, const std::optional<double>& rate)
    {
        if (rate)
            sim::setNominalRate(device, *rate);
        else
            sim::removeProperty(device, propertyAddress("nsrt", "****", 0));
    };
    sim::setReadHook(
        [&](const sim::PropertyRead&)
        {
            if (rateReads() == 2)
            {
                changeTo(input, c.inputRate);
                changeTo(output, c.outputRate);
            }
        });

    juce::uint32 elapsed = 0;
    EXPECT_EQ(setRate(48000.0, elapsed), c.agreed);
    EXPECT_GE(elapsed, rateWaitMs);

    std::vector<sim::PropertyRead> reads;
    for (const auto& read : sim::propertyReads())
        if (read.address == propertyAddress("nsrt", "****", 0))
            reads.push_back(read);
    ASSERT_EQ(reads.size(), 4u);
    EXPECT_EQ(reads[2].object, input);
    EXPECT_EQ(reads[3].object, output);
    EXPECT_EQ(reads[2].status == 0, c.inputRate.has_value());
    EXPECT_EQ(reads[3].status == 0, c.outputRate.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SecondLook,
    ::testing::Values(SecondLookCase{"Agreeing", 48000.0, 48000.0, true},
                      SecondLookCase{"StillApart", 44100.0, 48000.0, false},
                      SecondLookCase{"InputUnreadable", std::nullopt, 0.0, false},
                      SecondLookCase{"OutputUnreadable", 0.0, std::nullopt, false},
                      SecondLookCase{"BothUnreadable", std::nullopt, std::nullopt, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SeparateAudioDevices, BothRefusingAlikeStillAgree)
{
    sim::refuseAllRates(input);
    sim::refuseAllRates(output);
    juce::uint32 elapsed = 0;
    EXPECT_TRUE(setRate(48000.0, elapsed));
    EXPECT_LT(elapsed, rateWaitMs);
    EXPECT_EQ(sim::nominalRate(input), 44100.0);
    for (const auto& write : sim::propertyWrites())
        EXPECT_EQ(write.status, audioStatusValueRefused);
}

TEST_F(SeparateAudioDevices, PartnerFollowingTheClockAgreesAtOnce)
{
    sim::refuseAllRates(input);
    sim::setRateFollows(input, output);
    juce::uint32 elapsed = 0;
    EXPECT_TRUE(setRate(96000.0, elapsed));
    EXPECT_LT(elapsed, rateWaitMs);
    EXPECT_EQ(sim::nominalRate(input), 96000.0);
}

TEST_F(SeparateAudioDevices, NoDevicesFailAtOnce)
{
    gInAudioObjectID = 0;
    gOutAudioObjectID = 0;
    juce::uint32 elapsed = 0;
    EXPECT_FALSE(setRate(48000.0, elapsed));
    EXPECT_LT(elapsed, rateWaitMs);
    EXPECT_EQ(rateReads(), 2);
    for (const auto& write : sim::propertyWrites())
    {
        EXPECT_EQ(write.object, 0u);
        EXPECT_EQ(write.status, audioStatusNoSuchObject);
    }
}
} // namespace
