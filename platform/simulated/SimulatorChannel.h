#pragma once

// The control channel of the running program's simulated platform, for the
// k71vt-sim tool: plug and unplug the virtual K71 VT, change its properties as
// the hardware would, send power messages, and list the HID reports and
// property writes the program made. One request line per connection, on a
// per-user local endpoint keyed by the application name; the reply is a number
// of lines ending with "ok" or "error: <why>". Requests are only ever read as
// these commands; nothing received is run.
//
// Commands:
//   plug | unplug | status
//   volume in|out <channel> <dB>
//   mute in|out 0|1
//   rate <Hz>
//   source analog|digital|<number>
//   power can-sleep|will-sleep|will-power-on|has-powered-on [<notification id>]
//   reports | writes | log (reports, then writes) | clear

#include "ipc/LocalRequestServer.h"
#include "platform/simulated/VirtualK71VT.h"

#include <optional>
#include <string>

namespace sim
{
class SimulatorChannel
{
  public:
    explicit SimulatorChannel(const std::string& applicationName);

    bool isListening() const { return server.isListening(); }

    static constexpr std::size_t maxRequestBytes = 1024;

  private:
    ipc::LocalRequestServer server;
};

// Carries out one request on the simulated platform (any thread) and gives the reply.
std::string runSimulatorCommand(const std::string& requestLine);

// One line each.
std::string describeHidReport(const sim::HidReport& report);
std::string describePropertyWrite(const sim::PropertyWrite& write);

// The tool's side: sends a request to the running program; nullopt when it is not
// running or did not answer in time.
std::optional<std::string> askSimulator(const std::string& applicationName,
                                        const std::string& requestLine, int timeoutMs);
} // namespace sim
