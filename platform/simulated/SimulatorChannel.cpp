#include "platform/simulated/SimulatorChannel.h"

#include "ipc/LocalSocket.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <vector>

namespace sim
{
namespace
{
constexpr const char* channelPurpose = "sim";
constexpr std::size_t maxReplyBytes = 64 * 1024 * 1024;

std::vector<std::string> wordsOf(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::optional<double> finiteNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> unsignedNumber(const std::string& text)
{
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (end != text.c_str() + text.size() || errno != 0 || value > 0xFFFFFFFFull)
        return std::nullopt;
    return (std::uint32_t)value;
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes)
{
    std::ostringstream out;
    out << std::hex << std::setfill('0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out << (i == 0 ? "" : " ") << std::setw(2) << (unsigned)bytes[i];
    return out.str();
}

std::string quotedCode(std::uint32_t code)
{
    return "'" + fourCCToString(code) + "'";
}

bool isPrintableCode(std::uint32_t code)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = (char)(code >> shift);
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

template <typename Value> std::optional<Value> valueOf(const std::vector<std::uint8_t>& data)
{
    if (data.size() != sizeof(Value))
        return std::nullopt;
    Value value;
    std::memcpy(&value, data.data(), sizeof(Value));
    return value;
}

std::string describeValue(const sim::PropertyWrite& write)
{
    std::ostringstream out;
    const auto selector = write.address.selector;
    if (selector == audioPropertyNominalSampleRate)
    {
        if (const auto rate = valueOf<double>(write.data))
            return (out << *rate, out.str());
    }
    else if (selector == audioPropertyVolumeDecibels || selector == audioPropertyVolumeScalar)
    {
        if (const auto level = valueOf<float>(write.data))
            return (out << *level, out.str());
    }
    else if (selector == audioPropertyDataSource)
    {
        if (const auto source = valueOf<UInt32>(write.data))
            return (out << "0x" << std::hex << *source, out.str());
    }
    else if (selector == audioPropertyMute || selector == audioPropertyPlayThru)
    {
        if (const auto flag = valueOf<UInt32>(write.data))
            return (out << *flag, out.str());
    }
    else if (selector == audioPropertyPhysicalFormat)
    {
        if (const auto format = valueOf<AudioStreamDescription>(write.data))
        {
            out << "rate=" << format->sampleRate << " format=" << quotedCode(format->formatID)
                << " flags=" << format->formatFlags << " bytesPerPacket=" << format->bytesPerPacket
                << " framesPerPacket=" << format->framesPerPacket
                << " bytesPerFrame=" << format->bytesPerFrame
                << " channels=" << format->channelsPerFrame << " bits=" << format->bitsPerChannel;
            return out.str();
        }
    }
    return "bytes=" + hexBytes(write.data);
}

AudioObjectID deviceFor(const std::string& direction)
{
    if (direction == "in")
        return sim::interfaceInputDevice();
    if (direction == "out")
        return sim::interfaceOutputDevice();
    return 0;
}

AudioObjectPropertyScope scopeFor(const std::string& direction)
{
    return direction == "in" ? audioScopeInput : audioScopeOutput;
}

std::optional<natural_t> powerMessageCalled(const std::string& name)
{
    if (name == "can-sleep")
        return powerMessageCanSystemSleep;
    if (name == "will-sleep")
        return powerMessageSystemWillSleep;
    if (name == "will-power-on")
        return powerMessageSystemWillPowerOn;
    if (name == "has-powered-on")
        return powerMessageSystemHasPoweredOn;
    return std::nullopt;
}

std::string ok(const std::string& lines = {})
{
    return lines + "ok\n";
}

std::string error(const std::string& why)
{
    return "error: " + why + "\n";
}

std::string listReports()
{
    std::string lines;
    for (const auto& report : sim::hidReports())
        lines += describeHidReport(report) + "\n";
    return lines;
}

std::string listWrites()
{
    std::string lines;
    for (const auto& write : sim::propertyWrites())
        lines += describePropertyWrite(write) + "\n";
    return lines;
}

std::string setLevel(const std::vector<std::string>& words)
{
    const auto channel = words.size() == 4 ? unsignedNumber(words[2]) : std::nullopt;
    const auto decibels = words.size() == 4 ? finiteNumber(words[3]) : std::nullopt;
    if (!channel || !decibels || (words[1] != "in" && words[1] != "out"))
        return error("usage: volume in|out <channel> <dB>");
    const AudioObjectID device = deviceFor(words[1]);
    if (device == 0)
        return error("the interface is not plugged");
    if (!sim::setVolumeDb(device, scopeFor(words[1]), *channel, (float)*decibels))
        return error("no such channel");
    return ok();
}

std::string setMuted(const std::vector<std::string>& words)
{
    const auto muted = words.size() == 3 ? unsignedNumber(words[2]) : std::nullopt;
    if (!muted || *muted > 1 || (words[1] != "in" && words[1] != "out"))
        return error("usage: mute in|out 0|1");
    const AudioObjectID device = deviceFor(words[1]);
    if (device == 0)
        return error("the interface is not plugged");
    if (!sim::setMute(device, scopeFor(words[1]), *muted))
        return error("the device has no mute there");
    return ok();
}

std::string setRate(const std::vector<std::string>& words)
{
    const auto rate = words.size() == 2 ? finiteNumber(words[1]) : std::nullopt;
    if (!rate || *rate <= 0)
        return error("usage: rate <Hz>");
    const auto devices = sim::interfaceAudioDevices();
    if (devices.empty())
        return error("the interface is not plugged");
    // One clock drives every audio device of the interface.
    for (const AudioObjectID device : devices)
        sim::setNominalRate(device, *rate);
    return ok();
}

std::string setSource(const std::vector<std::string>& words)
{
    std::optional<UInt32> source;
    if (words.size() == 2)
        source = words[1] == "analog"    ? std::optional<UInt32>(audioDataSourceAnalog)
                 : words[1] == "digital" ? std::optional<UInt32>(audioDataSourceDigital)
                                         : unsignedNumber(words[1]);
    if (!source)
        return error("usage: source analog|digital|<number>");
    const AudioObjectID device = sim::interfaceInputDevice();
    if (device == 0)
        return error("the interface is not plugged");
    if (!sim::setDataSource(device, *source))
        return error("the device has no input source");
    return ok();
}

std::string sendPower(const std::vector<std::string>& words)
{
    static std::atomic<std::intptr_t> nextNotification{1};
    const auto message = words.size() >= 2 ? powerMessageCalled(words[1]) : std::nullopt;
    const auto id = words.size() == 3 ? unsignedNumber(words[2]) : std::nullopt;
    if (!message || words.size() > 3 || (words.size() == 3 && !id))
        return error("usage: power can-sleep|will-sleep|will-power-on|has-powered-on [<id>]");
    sim::sendPowerMessage(*message, id ? (std::intptr_t)*id : nextNotification++);
    return ok();
}
} // namespace

std::string describeHidReport(const sim::HidReport& report)
{
    std::ostringstream out;
    out << "hid id=" << report.reportID << " " << hexBytes(report.bytes) << " status=0x" << std::hex
        << report.status;
    return out.str();
}

std::string describePropertyWrite(const sim::PropertyWrite& write)
{
    std::ostringstream out;
    out << "write " << write.object << " " << quotedCode(write.address.selector) << " "
        << quotedCode(write.address.scope) << " " << write.address.element << " "
        << describeValue(write) << " status=";
    const auto status = (std::uint32_t)write.status;
    if (status != 0 && isPrintableCode(status))
        out << quotedCode(status);
    else
        out << write.status;
    return out.str();
}

std::string runSimulatorCommand(const std::string& requestLine)
{
    const auto words = wordsOf(requestLine);
    if (words.empty())
        return error("empty request");
    const std::string& command = words[0];
    const bool single = words.size() == 1;

    if (command == "plug" && single)
        return (sim::plugInterface(), ok());
    if (command == "unplug" && single)
        return (sim::unplugInterface(), ok());
    if (command == "status" && single)
        return ok(std::string("plugged ") + (sim::interfacePlugged() ? "yes" : "no") + "\n");
    if (command == "reports" && single)
        return ok(listReports());
    if (command == "writes" && single)
        return ok(listWrites());
    if (command == "log" && single)
        return ok(listReports() + listWrites());
    if (command == "clear" && single)
        return (sim::clearRecords(), ok());
    if (command == "volume")
        return setLevel(words);
    if (command == "mute")
        return setMuted(words);
    if (command == "rate")
        return setRate(words);
    if (command == "source")
        return setSource(words);
    if (command == "power")
        return sendPower(words);
    return error("unknown request (plug, unplug, status, volume, mute, rate, source, power, "
                 "reports, writes, log, clear)");
}

SimulatorChannel::SimulatorChannel(const std::string& applicationName)
    : server("k71-sim-channel", applicationName + ": the k71vt-sim control channel",
             ipc::localsocket::endpointPath(applicationName, channelPurpose), maxRequestBytes,
             [](const std::string& line) -> std::optional<std::string>
             { return runSimulatorCommand(line); })
{
}

std::optional<std::string> askSimulator(const std::string& applicationName,
                                        const std::string& requestLine, int timeoutMs)
{
    if (requestLine.size() > SimulatorChannel::maxRequestBytes ||
        requestLine.find_first_of(std::string("\n\0", 2)) != std::string::npos)
        return std::nullopt;
    const std::string endpoint = ipc::localsocket::endpointPath(applicationName, channelPurpose);
    if (endpoint.empty())
        return std::nullopt;
    return ipc::localsocket::request(endpoint, requestLine, timeoutMs, maxReplyBytes);
}
} // namespace sim
