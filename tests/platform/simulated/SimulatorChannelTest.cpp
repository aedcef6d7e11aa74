#include "platform/simulated/SimulatorChannel.h"

#include "support/MessageLoop.h"

#include <gtest/gtest.h>

namespace
{
const std::string appName = "SimChannelTestApp";

class SimulatorRequests : public testing::Test
{
  protected:
    void SetUp() override { sim::resetSimulation(); }
    void TearDown() override { sim::resetSimulation(); }

    static AudioObjectID device() { return sim::interfaceOutputDevice(); }
};

TEST_F(SimulatorRequests, ChangesTheVirtualInterfaceAsTheHardwareWould)
{
    EXPECT_EQ(sim::runSimulatorCommand("status"), "plugged no\nok\n");
    EXPECT_EQ(sim::runSimulatorCommand("plug"), "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("status"), "plugged yes\nok\n");

    EXPECT_EQ(sim::runSimulatorCommand("volume out 2 -12.5"), "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("volume in 1 -3.25"), "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("mute in 1"), "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("rate 44100"), "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("source digital"), "ok\n");

    EXPECT_EQ(sim::volumeDb(device(), audioScopeOutput, 2), -12.5f);
    EXPECT_EQ(sim::volumeDb(sim::interfaceInputDevice(), audioScopeInput, 1), -3.25f);
    EXPECT_EQ(sim::mute(sim::interfaceInputDevice(), audioScopeInput), 1u);
    EXPECT_EQ(sim::mute(device(), audioScopeOutput), 0u);
    EXPECT_EQ(sim::nominalRate(device()), 44100.0);
    EXPECT_EQ(sim::dataSource(sim::interfaceInputDevice()), audioDataSourceDigital);
    // Hardware changes are not writes of the program.
    EXPECT_EQ(sim::runSimulatorCommand("writes"), "ok\n");

    EXPECT_EQ(sim::runSimulatorCommand("unplug"), "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("status"), "plugged no\nok\n");
    EXPECT_EQ(sim::runSimulatorCommand("volume out 1 -1"), "error: the interface is not plugged\n");
}

TEST_F(SimulatorRequests, RefusesMalformedRequestsAndChangesNothing)
{
    sim::plugInterface();
    const double rate = *sim::nominalRate(device());
    for (const char* request : {"",
                                "   ",
                                "plug now",
                                "volume",
                                "volume out",
                                "volume out 1",
                                "volume side 1 -3",
                                "volume out one -3",
                                "volume out 1 -3dB",
                                "volume out 1 nan",
                                "volume out 1 inf",
                                "volume out -1 -3",
                                "mute out 2",
                                "mute out yes",
                                "rate",
                                "rate fast",
                                "rate -48000",
                                "rate 1e999",
                                "source pink",
                                "source -1",
                                "power",
                                "power nap",
                                "power will-sleep x",
                                "power will-sleep 1 2",
                                "reports all",
                                "$(reboot)",
                                "rm -rf /"})
    {
        const std::string reply = sim::runSimulatorCommand(request);
        EXPECT_EQ(reply.rfind("error: ", 0), 0u) << request << " -> " << reply;
        EXPECT_EQ(reply.find('\n'), reply.size() - 1) << request;
    }
    EXPECT_EQ(sim::nominalRate(device()), rate);
    EXPECT_EQ(sim::volumeDb(device(), audioScopeOutput, 1), 0.0f);
    EXPECT_EQ(sim::mute(device(), audioScopeOutput), 0u);
    EXPECT_TRUE(sim::interfacePlugged());
}

TEST_F(SimulatorRequests, ListsReportsAndWritesOneLineEachInOrder)
{
    sim::plugInterface();
    const auto hid = sim::interfaceHidDevices().at(0);
    const std::uint8_t first[3] = {0x00, 0x1a, 0xff};
    const std::uint8_t second[2] = {0x7f, 0x01};
    IOHIDDeviceSetReport(hid, hidReportTypeOutput, 0, first, 3);
    IOHIDDeviceSetReport(hid, hidReportTypeOutput, 0, second, 2);

    const AudioObjectID dev = device();
    const auto level = propertyAddress("vold", "outp", 1);
    const float decibels = -6.25f;
    AudioObjectSetPropertyData(dev, &level, 0, nullptr, sizeof(decibels), &decibels);
    const auto rate = propertyAddress("nsrt", "****", 0);
    const double hertz = 12345.0; // refused by the device
    AudioObjectSetPropertyData(dev, &rate, 0, nullptr, sizeof(hertz), &hertz);
    const auto source = propertyAddress("ssrc", "inpt", 0);
    const UInt32 digital = audioDataSourceDigital;
    AudioObjectSetPropertyData(dev, &source, 0, nullptr, sizeof(digital), &digital);

    const std::string id = std::to_string(dev);
    const std::string reports = "hid id=0 00 1a ff status=0x0\n"
                                "hid id=0 7f 01 status=0x0\n";
    const std::string writes = "write " + id + " 'vold' 'outp' 1 -6.25 status=0\n" + "write " + id +
                               " 'nsrt' '****' 0 12345 status='nope'\n" + "write " + id +
                               " 'ssrc' 'inpt' 0 0x1010b02 status=0\n";
    EXPECT_EQ(sim::runSimulatorCommand("reports"), reports + "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("writes"), writes + "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("log"), reports + writes + "ok\n");

    EXPECT_EQ(sim::runSimulatorCommand("clear"), "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("log"), "ok\n");
}

TEST_F(SimulatorRequests, DescribesThePhysicalFormatAndUnknownValues)
{
    sim::PropertyWrite format;
    format.object = 7;
    format.address = propertyAddress("pft ", "****", 0);
    AudioStreamDescription description;
    description.sampleRate = 32000.0;
    description.formatID = audioFormatLinearPCM;
    description.formatFlags = 12;
    description.bytesPerPacket = 6;
    description.framesPerPacket = 1;
    description.bytesPerFrame = 6;
    description.channelsPerFrame = 2;
    description.bitsPerChannel = 24;
    format.data.resize(sizeof(description));
    std::memcpy(format.data.data(), &description, sizeof(description));
    EXPECT_EQ(sim::describePropertyWrite(format),
              "write 7 'pft ' '****' 0 rate=32000 format='lpcm' flags=12 bytesPerPacket=6 "
              "framesPerPacket=1 bytesPerFrame=6 channels=2 bits=24 status=0");

    sim::PropertyWrite odd;
    odd.object = 7;
    odd.address = propertyAddress("vold", "inpt", 2);
    odd.data = {0x01, 0x02};
    odd.status = audioStatusBadPropertySize;
    EXPECT_EQ(sim::describePropertyWrite(odd), "write 7 'vold' 'inpt' 2 bytes=01 02 status='!siz'");
}

TEST_F(SimulatorRequests, PowerMessagesReachTheRegisteredReceiver)
{
    struct Seen
    {
        std::vector<std::pair<natural_t, std::intptr_t>> messages;
    } seen;
    IONotificationPortRef port = nullptr;
    io_object_t notifier = 0;
    ASSERT_NE(IORegisterForSystemPower(
                  &seen, &port,
                  [](void* refcon, io_service_t, natural_t type, void* argument)
                  {
                      static_cast<Seen*>(refcon)->messages.emplace_back(
                          type, reinterpret_cast<std::intptr_t>(argument));
                  },
                  &notifier),
              0u);
    RunLoopAddSource(IONotificationPortGetRunLoopSource(port));

    EXPECT_EQ(sim::runSimulatorCommand("power will-sleep 42"), "ok\n");
    EXPECT_EQ(sim::runSimulatorCommand("power has-powered-on 43"), "ok\n");
    ASSERT_TRUE(k71test::pumpUntil([&] { return seen.messages.size() == 2; }));
    EXPECT_EQ(seen.messages[0], std::make_pair(powerMessageSystemWillSleep, std::intptr_t(42)));
    EXPECT_EQ(seen.messages[1], std::make_pair(powerMessageSystemHasPoweredOn, std::intptr_t(43)));
}

TEST_F(SimulatorRequests, AnswersOverTheLocalEndpoint)
{
    EXPECT_FALSE(sim::askSimulator(appName, "status", 100).has_value());

    sim::SimulatorChannel channel(appName);
    ASSERT_TRUE(channel.isListening());
    EXPECT_EQ(sim::askSimulator(appName, "plug", 2000), "ok\n");
    EXPECT_EQ(sim::askSimulator(appName, "status", 2000), "plugged yes\nok\n");
    EXPECT_EQ(sim::askSimulator(appName, "rate 32000", 2000), "ok\n");
    EXPECT_EQ(sim::nominalRate(device()), 32000.0);
    EXPECT_EQ(sim::askSimulator(appName, "bogus", 2000)->rfind("error: ", 0), 0u);
    // Requests that could not be one line are not sent at all.
    EXPECT_FALSE(sim::askSimulator(appName, "status\nunplug", 2000).has_value());
    EXPECT_FALSE(sim::askSimulator(appName, std::string(2000, 'x'), 2000).has_value());
    EXPECT_TRUE(sim::interfacePlugged());
}
} // namespace
