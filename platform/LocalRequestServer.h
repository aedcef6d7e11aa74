#pragma once

// Serves one-line requests on a per-user local endpoint, on a thread of its
// own. Each connection carries one request line; its reply is written back and
// the connection closed. Input that is too long, not one complete line,
// contains a NUL byte, or comes from another user is dropped without a reply,
// as is a connection that stays silent for too long.
//
// The handler runs on the server's thread; work for the message thread must be
// posted there by the handler.

#include <juce_core/juce_core.h>

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include <sys/types.h>

namespace platform
{
class LocalRequestServer : private juce::Thread
{
  public:
    // The reply to a request, or nullopt to drop it without one.
    using Handler = std::function<std::optional<std::string>(const std::string& requestLine)>;

    LocalRequestServer(const juce::String& threadName, std::string endpointPath,
                       std::size_t maxRequestBytes, Handler handler);
    ~LocalRequestServer() override;

    bool isListening() const { return listenFd >= 0; }
    const std::string& path() const { return endpointPath; }

    static constexpr int silentConnectionLimitMs = 2000;
    static constexpr std::size_t maxConnections = 16;

  private:
    struct Connection
    {
        std::string received;
        juce::uint32 openedAtMs = 0;
    };

    void run() override;
    void acceptWaitingConnections();
    void readFrom(int fd);
    void answer(int fd, const std::string& requestLine);
    void drop(int fd);
    void dropSilentConnections();

    const std::string endpointPath;
    const std::size_t maxRequestBytes;
    const Handler handler;
    int listenFd = -1;
    int wakePipe[2] = {-1, -1};
    dev_t endpointDevice = 0;
    ino_t endpointInode = 0;
    std::map<int, Connection> connections; // the server thread's only

    JUCE_DECLARE_NON_COPYABLE(LocalRequestServer)
};
} // namespace platform
