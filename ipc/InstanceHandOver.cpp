#include "ipc/InstanceHandOver.h"

#include "ipc/LocalSocket.h"

namespace ipc
{
namespace
{
constexpr const char* handOverPurpose = "instance";
constexpr const char* handOverPrefix = "commandline ";
constexpr const char* acceptedReply = "ok\n";

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

std::optional<juce::String> decodeHandOver(const std::string& requestLine)
{
    const std::string prefix = handOverPrefix;
    if (requestLine.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::size_t hexLength = requestLine.size() - prefix.size();
    if (hexLength % 2 != 0 || hexLength / 2 > InstanceHandOverListener::maxCommandLineBytes)
        return std::nullopt;

    std::string bytes;
    for (std::size_t i = prefix.size(); i < requestLine.size(); i += 2)
    {
        const int high = hexDigitValue(requestLine[i]);
        const int low = hexDigitValue(requestLine[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += (char)(high * 16 + low);
    }
    if (bytes.find('\0') != std::string::npos ||
        !juce::CharPointer_UTF8::isValidString(bytes.data(), (int)bytes.size()))
        return std::nullopt;
    return juce::String::fromUTF8(bytes.data(), (int)bytes.size());
}

InstanceHandOverListener::InstanceHandOverListener(
    const juce::String& applicationName,
    std::function<void(const juce::String& commandLine)> onCommandLine)
    : deliver(std::make_shared<std::function<void(const juce::String&)>>(std::move(onCommandLine))),
      server("k71-handover",
             applicationName.toStdString() + ": the endpoint for later launches",
             endpointFor(applicationName), encodeHandOver({}).size() + 2 * maxCommandLineBytes,
             [this](const std::string& line) { return receive(line); })
{
}

InstanceHandOverListener::~InstanceHandOverListener() = default;

std::optional<std::string> InstanceHandOverListener::receive(const std::string& requestLine)
{
    auto commandLine = decodeHandOver(requestLine);
    if (!commandLine.has_value())
        return std::nullopt;

    // Runs on the endpoint's thread: the command line goes to the message thread as a
    // message of its own, dropped if the listener is gone by then.
    std::weak_ptr<std::function<void(const juce::String&)>> target = deliver;
    juce::MessageManager::callAsync(
        [target, text = *commandLine]
        {
            if (auto callback = target.lock())
                (*callback)(text);
        });
    return std::string(acceptedReply);
}

bool handOverToRunningInstance(const juce::String& applicationName, const juce::String& commandLine,
                               int timeoutMs, std::string* why)
{
    const auto fail = [why](const char* reason)
    {
        if (why != nullptr)
            *why = reason;
        return false;
    };
    if (commandLine.toStdString().size() > InstanceHandOverListener::maxCommandLineBytes)
        return fail("the command line is too long");
    const std::string endpoint = endpointFor(applicationName);
    if (endpoint.empty())
        return fail("no private folder of this user for the endpoint");
    const auto reply = localsocket::request(endpoint, encodeHandOver(commandLine), timeoutMs, 64);
    if (!reply.has_value())
        return fail("it did not answer in time");
    if (*reply != acceptedReply)
        return fail("it refused the command line");
    return true;
}
} // namespace ipc
