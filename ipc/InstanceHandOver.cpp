#include "ipc/InstanceHandOver.h"

#include "ipc/LocalSocket.h"

#include <cstring>

namespace ipc
{
namespace
{
constexpr const char* handOverPurpose = "instance";
constexpr const char* handOverPrefix = "commandline ";
constexpr const char* acceptedReply = "ok\n";
constexpr const char* refusedPrefix = "refused: ";

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string endpointFor(const juce::String& applicationName)
{
    return localsocket::endpointPath(applicationName.toStdString(), handOverPurpose);
}

// What the running instance said instead of taking it, kept to printable text.
std::string refusalIn(const std::string& reply)
{
    std::string reason;
    for (const char c : reply.rfind(refusedPrefix, 0) == 0
                            ? reply.substr(std::strlen(refusedPrefix))
                            : std::string())
        if (c >= 0x20 && c <= 0x7E)
            reason += c;
    return reason.empty() ? "it refused the command line"
                          : "it refused the command line: " + reason;
}
} // namespace

// The command line travels as lower-case hex of its UTF-8 bytes, so any text it
// holds (spaces, quotes, line breaks) keeps the request to one plain line.
std::string encodeHandOver(const juce::String& commandLine)
{
    static const char digits[] = "0123456789abcdef";
    std::string line = handOverPrefix;
    for (const char c : commandLine.toStdString())
    {
        const auto byte = (unsigned char)c;
        line += digits[byte >> 4];
        line += digits[byte & 0x0F];
    }
    return line;
}

std::optional<juce::String> decodeHandOver(const std::string& requestLine, std::string* why)
{
    const auto fail = [why](const char* reason) -> std::optional<juce::String>
    {
        if (why != nullptr)
            *why = reason;
        return std::nullopt;
    };
    const std::string prefix = handOverPrefix;
    if (requestLine.compare(0, prefix.size(), prefix) != 0)
        return fail("not a command line");
    const std::size_t hexLength = requestLine.size() - prefix.size();
    if (hexLength / 2 > InstanceHandOverListener::maxCommandLineBytes)
        return fail("too long");
    if (hexLength % 2 != 0)
        return fail("not hex");

    std::string bytes;
    for (std::size_t i = prefix.size(); i < requestLine.size(); i += 2)
    {
        const int high = hexDigitValue(requestLine[i]);
        const int low = hexDigitValue(requestLine[i + 1]);
        if (high < 0 || low < 0)
            return fail("not hex");
        bytes += (char)(high * 16 + low);
    }
    if (bytes.find('\0') != std::string::npos)
        return fail("holds a NUL byte");
    if (!juce::CharPointer_UTF8::isValidString(bytes.data(), (int)bytes.size()))
        return fail("not UTF-8");
    return juce::String::fromUTF8(bytes.data(), (int)bytes.size());
}

InstanceHandOverListener::InstanceHandOverListener(
    const juce::String& applicationName,
    std::function<void(const juce::String& commandLine)> onCommandLine)
    : deliver(std::make_shared<std::function<void(const juce::String&)>>(std::move(onCommandLine))),
      server("k71-handover", applicationName.toStdString() + ": the endpoint for later launches",
             endpointFor(applicationName), encodeHandOver({}).size() + 2 * maxCommandLineBytes,
             [this](const std::string& line) { return receive(line); })
{
}

InstanceHandOverListener::~InstanceHandOverListener() = default;

std::optional<std::string> InstanceHandOverListener::receive(const std::string& requestLine)
{
    std::string why;
    auto commandLine = decodeHandOver(requestLine, &why);
    if (!commandLine.has_value())
        return refusedPrefix + why + "\n";

    // Runs on the endpoint's thread: the command line goes to the message thread as a
    // message of its own, dropped if the listener is gone by then. A message loop that
    // is stopping takes no more messages: then there is no "ok", and the launch tries
    // again until this instance has let its lock go.
    std::weak_ptr<std::function<void(const juce::String&)>> target = deliver;
    const bool posted = juce::MessageManager::callAsync(
        [target, text = *commandLine]
        {
            if (auto callback = target.lock())
                (*callback)(text);
        });
    if (!posted)
        return std::nullopt;
    return std::string(acceptedReply);
}

HandOver handOverToRunningInstance(const juce::String& applicationName,
                                   const juce::String& commandLine, int timeoutMs, std::string* why)
{
    const auto fail = [why](HandOver result, const std::string& reason)
    {
        if (why != nullptr)
            *why = reason;
        return result;
    };
    const std::string line = encodeHandOver(commandLine);
    const std::size_t bytes = (line.size() - std::strlen(handOverPrefix)) / 2;
    if (bytes > InstanceHandOverListener::maxCommandLineBytes)
        return fail(HandOver::refused,
                    "the command line is too long: " + std::to_string(bytes) + " bytes, at most " +
                        std::to_string(InstanceHandOverListener::maxCommandLineBytes));
    const std::string endpoint = endpointFor(applicationName);
    if (endpoint.empty())
        return fail(HandOver::nobodyListens, "no private folder of this user for the endpoint");

    auto failure = localsocket::RequestFailure::noAnswer;
    const auto reply = localsocket::requestOnce(endpoint, line, timeoutMs, 256, &failure);
    if (!reply.has_value())
        return fail(failure == localsocket::RequestFailure::nobodyListens ? HandOver::nobodyListens
                                                                          : HandOver::noAnswer,
                    "it did not answer in time");
    if (*reply == acceptedReply)
        return HandOver::taken;
    if (reply->empty()) // let go unanswered: too busy, or quitting
        return fail(HandOver::noAnswer, "it did not answer in time");
    return fail(HandOver::refused, refusalIn(*reply));
}
} // namespace ipc
