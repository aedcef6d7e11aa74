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
    // From now on later launches find nobody here (and start once this instance has
    // ended); what was taken before still reaches the callback.
    void stopTakingLaunches() { server.stop(); }

    static constexpr std::size_t maxCommandLineBytes = 32 * 1024;

  private:
    std::optional<std::string> receive(const std::string& requestLine);

    std::shared_ptr<std::function<void(const juce::String&)>> deliver;
    LocalRequestServer server;
};

// What became of a launch's command line.
enum class HandOver
{
    taken,         // the running instance has it
    refused,       // it never will: trying again cannot help
    nobodyListens, // no endpoint, or nobody on it (yet)
    noAnswer       // reached, but no answer in time (busy, starting, quitting)
};

// In a later launch: one try at sending the command line to the running instance of the
// application; unless it was taken, why says what went wrong.
HandOver handOverToRunningInstance(const juce::String& applicationName,
                                   const juce::String& commandLine, int timeoutMs = 3000,
                                   std::string* why = nullptr);

// The request line that carries a command line, and its reading back (nullopt when
// the line is not a well-formed hand-over; then why says what is wrong with it).
std::string encodeHandOver(const juce::String& commandLine);
std::optional<juce::String> decodeHandOver(const std::string& requestLine,
                                           std::string* why = nullptr);
} // namespace ipc
