#pragma once

// Hands the command line of a later launch to the running instance. The
// per-user instance lock lets only the first process run; the running instance
// listens on a per-user endpoint keyed by the application name, beside the
// lock, and a later launch sends its command line there before it ends.
//
// What arrives is only ever given to the callback as text; it is never run.

#include "ipc/LocalRequestServer.h"

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ipc
{
class InstanceHandOverListener
{
  public:
    // onCommandLine runs on the message thread, once per later launch, after the
    // request was answered.
    InstanceHandOverListener(const juce::String& applicationName,
                             std::function<void(const juce::String& commandLine)> onCommandLine);
    ~InstanceHandOverListener();

    bool isListening() const { return server.isListening(); }

    static constexpr std::size_t maxCommandLineBytes = 32 * 1024;

  private:
    std::optional<std::string> receive(const std::string& requestLine);

    std::shared_ptr<std::function<void(const juce::String&)>> deliver;
    LocalRequestServer server;
};

// In a later launch: sends the command line to the running instance of the application.
// True once the running instance has taken it; otherwise why says what went wrong.
bool handOverToRunningInstance(const juce::String& applicationName, const juce::String& commandLine,
                               int timeoutMs = 3000, std::string* why = nullptr);

// The request line that carries a command line, and its reading back (nullopt when
// the line is not a well-formed hand-over).
std::string encodeHandOver(const juce::String& commandLine);
std::optional<juce::String> decodeHandOver(const std::string& requestLine);
} // namespace ipc
