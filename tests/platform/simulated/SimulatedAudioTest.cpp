// The simulated audio system: statuses, values, listeners and their thread.
#include "device/DeviceTestSupport.h"

#include <cmath>
#include <set>

namespace
{
using namespace k71test;

struct Heard
{
    AudioObjectID object;
    std::vector<AudioObjectPropertyAddress> addresses;
    std::string threadName;
};

// Collects listener calls.
class ListenerLog
{
  public:
    static OSStatus listener(AudioObjectID object, UInt32 count,
                             const AudioObjectPropertyAddress* addresses, void* clientData)
    {
        auto* self = static_cast<ListenerLog*>(clientData);
        auto* thread = juce::Thread::getCurrentThread();
        std::lock_guard<std::mutex> lock(self->mutex);
        self->calls.push_back({object,
                               {addresses, addresses + count},
                               thread != nullptr ? thread->getThreadName().toStdString() : ""});
        return 0;
    }

    std::vector<Heard> heard()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return calls;
    }

    OSStatus watch(AudioObjectID object,
                   AudioObjectPropertyAddress address = propertyAddress("****", "****", 0xFFFFFFFF))
    {
        return AudioObjectAddPropertyListener(object, &address, &ListenerLog::listener, this);
    }

  private:
    std::mutex mutex;
    std::vector<Heard> calls;
};

class SimulatedAudio : public DeviceLink
{
  protected:
    void SetUp() override
    {
        DeviceLink::SetUp();
        device = sim::plugAudioDevice({});
    }

    template <typename T> OSStatus read(AudioObjectPropertyAddress address, T& value)
    {
        UInt32 size = sizeof(T);
        return AudioObjectGetPropertyData(device, &address, 0, nullptr, &size, &value);
    }

    template <typename T> OSStatus write(AudioObjectPropertyAddress address, T value)
    {
        return AudioObjectSetPropertyData(device, &address, 0, nullptr, sizeof(T), &value);
    }

    AudioObjectID device = 0;
};

TEST_F(SimulatedAudio, DeviceListAndStrings)
{
    const AudioObjectID second = sim::plugAudioDevice({});
    const auto list = propertyAddress("dev#", "glob", 0);
    UInt32 size = 0;
    ASSERT_EQ(AudioObjectGetPropertyDataSize(audioSystemObject, &list, 0, nullptr, &size), 0);
    ASSERT_EQ(size, 8u);
    AudioObjectID ids[2] = {};
    ASSERT_EQ(AudioObjectGetPropertyData(audioSystemObject, &list, 0, nullptr, &size, ids), 0);
    EXPECT_EQ(ids[0], device);
    EXPECT_EQ(ids[1], second);

    for (const AudioObjectPropertyScope scope : {audioScopeInput, audioScopeOutput})
    {
        std::string name, maker, uid;
        const AudioObjectPropertyAddress nameAddress{audioPropertyName, scope, 0};
        ASSERT_EQ(read(nameAddress, name), 0);
        EXPECT_EQ(name, "K71VT");
        ASSERT_EQ(read(propertyAddress("lmak", "glob", 0), maker), 0);
        EXPECT_EQ(maker, "Tavrin");
        ASSERT_EQ(read(propertyAddress("uid ", "****", 0), uid), 0);
        EXPECT_FALSE(uid.empty());
    }
    EXPECT_EQ(write(propertyAddress("lnam", "glob", 0), std::string("x")), audioStatusNotWritable);
}

TEST_F(SimulatedAudio, DistinctStatusPerFailureAndFailedReadsLeaveTheBuffer)
{
    double rate = -1.0;
    UInt32 small = sizeof(float);
    const auto nsrt = propertyAddress("nsrt", "****", 0);
    EXPECT_EQ(AudioObjectGetPropertyData(0, &nsrt, 0, nullptr, &small, &rate),
              audioStatusNoSuchObject);
    EXPECT_EQ(AudioObjectGetPropertyData(device, &nsrt, 0, nullptr, &small, &rate),
              audioStatusBadPropertySize);
    EXPECT_EQ(read(propertyAddress("nsrt", "glob", 1), rate), audioStatusUnknownProperty);
    EXPECT_EQ(read(propertyAddress("abcd", "glob", 0), rate), audioStatusUnknownProperty);
    EXPECT_EQ(rate, -1.0);
    EXPECT_EQ(write(nsrt, 22050.0), audioStatusValueRefused);
    EXPECT_EQ(write(nsrt, 32000.0), audioStatusValueRefused) << "only through the format";
    EXPECT_EQ(write(nsrt, 44100.0f), audioStatusBadPropertySize);
    EXPECT_EQ(write(propertyAddress("ssrc", "inpt", 0), UInt32{7}), audioStatusValueRefused);

    const std::set<OSStatus> distinct = {audioStatusNoSuchObject, audioStatusUnknownProperty,
                                         audioStatusBadPropertySize, audioStatusValueRefused};
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_EQ(distinct.count(0), 0u);
}

TEST_F(SimulatedAudio, StreamConfigurationPerDirection)
{
    sim::AudioDeviceConfig config;
    config.hasInput = false;
    const AudioObjectID outputOnly = sim::plugAudioDevice(config);
    for (const auto& [scope, buffers] : std::vector<std::pair<AudioObjectPropertyScope, UInt32>>{
             {audioScopeInput, 0}, {audioScopeOutput, 1}})
    {
        const AudioObjectPropertyAddress address{fourCC("slay"), scope, 0};
        UInt32 size = 0;
        ASSERT_EQ(AudioObjectGetPropertyDataSize(outputOnly, &address, 0, nullptr, &size), 0);
        std::vector<UInt32> configuration(size / 4);
        ASSERT_EQ(AudioObjectGetPropertyData(outputOnly, &address, 0, nullptr, &size,
                                             configuration.data()),
                  0);
        EXPECT_EQ(configuration[0], buffers);
    }
    float level = 0.0f;
    const auto inputLevel = propertyAddress("vold", "inpt", 1);
    UInt32 size = sizeof(level);
    EXPECT_EQ(AudioObjectGetPropertyData(outputOnly, &inputLevel, 0, nullptr, &size, &level),
              audioStatusUnknownProperty);
}

TEST_F(SimulatedAudio, ListenersRunOnTheNotificationThreadAfterTheChange)
{
    ListenerLog log;
    ASSERT_EQ(log.watch(device), 0);
    double seenRate = 0.0;
    ASSERT_EQ(write(propertyAddress("nsrt", "****", 0), 96000.0), 0);
    ASSERT_TRUE(sim::waitForAudioNotifications());
    ASSERT_EQ(read(propertyAddress("nsrt", "****", 0), seenRate), 0);
    EXPECT_EQ(seenRate, 96000.0);

    const auto heard = log.heard();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].object, device);
    EXPECT_EQ(heard[0].threadName, "k71-notify");
    EXPECT_EQ(heard[0].addresses,
              (std::vector<AudioObjectPropertyAddress>{propertyAddress("nsrt", "glob", 0),
                                                       propertyAddress("pft ", "glob", 0)}));
}

TEST_F(SimulatedAudio, EqualWritesNotifyNothingAndFiltersSelect)
{
    ListenerLog all, muteOnly;
    ASSERT_EQ(all.watch(device), 0);
    ASSERT_EQ(muteOnly.watch(device, propertyAddress("mute", "outp", 0)), 0);
    EXPECT_EQ(write(propertyAddress("nsrt", "****", 0), 48000.0), 0); // already 48000
    EXPECT_EQ(write(propertyAddress("mute", "outp", 0), UInt32{0}), 0);
    EXPECT_EQ(write(propertyAddress("mute", "inpt", 0), UInt32{1}), 0);
    EXPECT_EQ(write(propertyAddress("mute", "outp", 0), UInt32{1}), 0);
    ASSERT_TRUE(sim::waitForAudioNotifications());

    const auto heardAll = all.heard();
    ASSERT_EQ(heardAll.size(), 2u);
    EXPECT_EQ(heardAll[0].addresses.front(), propertyAddress("mute", "inpt", 0));
    EXPECT_EQ(heardAll[1].addresses.front(), propertyAddress("mute", "outp", 0));
    const auto heardMute = muteOnly.heard();
    ASSERT_EQ(heardMute.size(), 1u);
    EXPECT_EQ(heardMute[0].addresses.front(), propertyAddress("mute", "outp", 0));
}

TEST_F(SimulatedAudio, RepeatedListenerAddSucceedsAndIsKeptOnce)
{
    ListenerLog log, refused;
    EXPECT_EQ(log.watch(device), 0);
    EXPECT_EQ(log.watch(device), 0);
    const AudioObjectID other = sim::plugAudioDevice({});
    sim::refuseListeners(other);
    EXPECT_EQ(refused.watch(other), audioStatusListenerRefused);
    sim::setMute(device, audioScopeOutput, 1);
    sim::setMute(other, audioScopeOutput, 1);
    ASSERT_TRUE(sim::waitForAudioNotifications());
    EXPECT_EQ(log.heard().size(), 1u);
    EXPECT_TRUE(refused.heard().empty());

    const auto registrations = sim::listenerRegistrations();
    ASSERT_EQ(registrations.size(), 3u);
    EXPECT_EQ(registrations[1].status, 0);
}

TEST_F(SimulatedAudio, DecibelAndScalarAreOneLevel)
{
    ListenerLog log;
    ASSERT_EQ(log.watch(device), 0);
    // Output range -55..0 dB: the scalar 0.5 is -27.5 dB.
    ASSERT_EQ(write(propertyAddress("volm", "outp", 2), 0.5f), 0);
    float decibels = 1.0f, scalar = -1.0f;
    ASSERT_EQ(read(propertyAddress("vold", "outp", 2), decibels), 0);
    EXPECT_FLOAT_EQ(decibels, -27.5f);
    ASSERT_EQ(write(propertyAddress("vold", "outp", 2), -55.0f), 0);
    ASSERT_EQ(read(propertyAddress("volm", "outp", 2), scalar), 0);
    EXPECT_FLOAT_EQ(scalar, 0.0f);
    // Beyond the range it lands at the top, as hardware does.
    ASSERT_EQ(write(propertyAddress("vold", "outp", 1), 224.0f), 0);
    EXPECT_EQ(sim::volumeDb(device, audioScopeOutput, 1), 0.0f);
    ASSERT_EQ(write(propertyAddress("vold", "inpt", 1), 224.0f), 0);
    EXPECT_EQ(sim::volumeDb(device, audioScopeInput, 1), 12.0f);
    EXPECT_EQ(write(propertyAddress("vold", "inpt", 1), std::nanf("")), audioStatusValueRefused);

    ASSERT_TRUE(sim::waitForAudioNotifications());
    const auto heard = log.heard();
    ASSERT_EQ(heard.size(), 3u) << "the write of 224 to the output, already at 0 dB, is equal";
    EXPECT_EQ(heard[0].addresses,
              (std::vector<AudioObjectPropertyAddress>{propertyAddress("vold", "outp", 2),
                                                       propertyAddress("volm", "outp", 2)}));
}

TEST_F(SimulatedAudio, PhysicalFormatReachesThirtyTwoKilohertz)
{
    AudioStreamDescription format;
    ASSERT_EQ(read(propertyAddress("pft ", "****", 0), format), 0);
    format.sampleRate = 32000.0;
    ASSERT_EQ(write(propertyAddress("pft ", "****", 0), format), 0);
    EXPECT_EQ(sim::nominalRate(device), 32000.0);
    format.sampleRate = 12000.0;
    EXPECT_EQ(write(propertyAddress("pft ", "****", 0), format), audioStatusValueRefused);
}

TEST_F(SimulatedAudio, FollowerTakesTheLeadersRate)
{
    const AudioObjectID follower = sim::plugAudioDevice({});
    sim::setRateFollows(follower, device);
    ListenerLog log;
    ASSERT_EQ(log.watch(follower), 0);
    ASSERT_EQ(write(propertyAddress("nsrt", "****", 0), 88200.0), 0);
    EXPECT_EQ(sim::nominalRate(follower), 88200.0);
    ASSERT_TRUE(sim::waitForAudioNotifications());
    EXPECT_EQ(log.heard().size(), 1u);
}

TEST_F(SimulatedAudio, UnpluggedIdsDisappearAndAreNeverReused)
{
    sim::unplugAudioDevice(device);
    std::string name;
    EXPECT_EQ(read(propertyAddress("lnam", "glob", 0), name), audioStatusNoSuchObject);
    const AudioObjectID again = sim::plugAudioDevice({});
    EXPECT_GT(again, device);
    sim::resetSimulation();
    EXPECT_TRUE(sim::audioDevices().empty());
    EXPECT_GT(sim::plugAudioDevice({}), again);
}

TEST_F(SimulatedAudio, HardwareChangesNeedAnExistingAddressAndTheRightType)
{
    EXPECT_FALSE(sim::changeProperties(device, {{propertyAddress("mute", "outp", 0), 1.0}}));
    EXPECT_FALSE(sim::changeProperties(device, {{propertyAddress("mute", "outp", 4), UInt32{1}}}));
    EXPECT_FALSE(sim::setNominalRate(0, 48000.0));
    EXPECT_TRUE(sim::setNominalRate(device, 22050.0)) << "the hardware may take any rate";
    EXPECT_EQ(sim::nominalRate(device), 22050.0);
    EXPECT_TRUE(sim::changeProperties(
        device, {{propertyAddress("lnam", "glob", 0), std::string("Renamed")}}));
}
} // namespace
