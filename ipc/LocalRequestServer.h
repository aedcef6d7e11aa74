#pragma once

// Serves one-line requests on a per-user local endpoint, on a thread of its
// own. Each connection carries one request line; its reply is written back and
// the connection closed. Input that is too long, not one complete line,
// contains a NUL byte, or comes from another user is dropped without a reply,
// as is a connection whose request does not come whole in time or whose
// reply is not taken in time. Every socket is non-blocking, so no client can
// hold the thread: slow and idle ones only use up their own connection.
//
// The handler runs on the server's thread; work for the message thread must be
// posted there by the handler.

#include <juce_core/juce_core.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include <sys/types.h>

namespace ipc
{
class LocalRequestServer : private juce::Thread
{
  public:
    // The reply to a request, or nullopt to drop it without one.
    using Handler = std::function<std::optional<std::string>(const std::string& requestLine)>;

    // description names the endpoint in the one line on stderr that says it could
    // not be made.
    LocalRequestServer(const juce::String& threadName, const std::string& description,
                       std::string endpointPath, std::size_t maxRequestBytes, Handler handler);
    // Returns once the thread has seen the wake-up pipe; the thread is never killed.
    ~LocalRequestServer() override;
    // Ends the server and takes its endpoint away, as the destructor does.
    void stop();

    // False when the endpoint could not be made, and once a failure ended the server: the
    // endpoint is then gone, so that no client waits for it.
    bool isListening() const { return listening; }
    const std::string& path() const { return endpointPath; }

    static constexpr int requestTimeLimitMs = 2000;
    static constexpr int replyTimeLimitMs = 3000;
    static constexpr std::size_t maxConnections = 64;
    static constexpr std::size_t maxConnectionsPerClient = 4;
    // How long the listening socket rests when the process is out of descriptors.
    static constexpr int acceptPauseMs = 100;

  private:
    struct Connection
    {
        std::string received;
        std::string reply;
        std::size_t sent = 0;
        bool replying = false;
        int client = 0;
        juce::uint32 openedAtMs = 0;
        juce::uint32 deadlineMs = 0;
    };

    void run() override;
    void stopAfterFailure(const char* what, int error);
    void closeEndpoint();
    bool acceptWaitingConnections(); // false once a failure stopped the server
    bool makeRoomFor(int client);
    void readFrom(int fd);
    void writeTo(int fd);
    void drop(int fd);
    void dropLateConnections();
    int pollTimeoutMs() const;

    const std::string endpointPath;
    const std::string description;
    const std::size_t maxRequestBytes;
    const Handler handler;
    int listenFd = -1;
    std::atomic<bool> listening{false};
    int wakePipe[2] = {-1, -1};
    bool threadStarted = false;
    // While the process is out of descriptors, accepting rests until then.
    std::optional<juce::uint32> acceptPausedUntilMs;
    dev_t endpointDevice = 0;
    ino_t endpointInode = 0;
    std::map<int, Connection> connections; // the server thread's only

    JUCE_DECLARE_NON_COPYABLE(LocalRequestServer)
};
} // namespace ipc
