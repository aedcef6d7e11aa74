#pragma once

// Per-user local endpoints (Unix-domain sockets) for talking to the running
// program: one request line in, one reply out, then the connection closes.
// Only this user can reach them: they live in a private folder and the server
// checks the peer's user id as well.

#include <cstddef>
#include <optional>
#include <string>

namespace ipc::localsocket
{
// The one folder where this user's running program keeps its lock and endpoints:
// $XDG_RUNTIME_DIR when it is a private folder of this user; otherwise (unset or
// unusable) the user's runtime folder /run/user/<uid> when it is private; otherwise
// a folder of mode 0700 in the home ("~/.<appName>-run"), made when missing. A
// folder whose paths would not fit a socket address counts as unusable. Empty when
// none is usable.
std::string endpointFolder(const std::string& appName);

// "<folder>/<appName>.<purpose>"; empty when there is no usable folder.
std::string endpointPath(const std::string& appName, const std::string& purpose);

// A non-blocking listening socket at path, or -1 with the reason in why. An endpoint
// left behind by a process that is gone is replaced; anything else at the path (a
// file, a link, a socket another process listens on) is left alone.
int listenAt(const std::string& path, std::string& why);

// Whether the process at the other end of a connected socket runs as this user, and
// its process id (0 when unknown).
bool peerIsSameUser(int fd);
int peerProcess(int fd);

// Why a request got no reply.
enum class RequestFailure
{
    nobodyListens, // no endpoint, or one that nobody listens on
    busy,          // the listener takes no more connections for now
    noAnswer       // connected, but no whole reply came in time
};

// Connects (retrying while nobody listens yet or the listener is busy), sends the
// request line, and reads the reply until the server closes, all within the timeout.
// nullopt when no server took the request, the reply did not come in time, or it grew
// beyond maxReplyBytes.
std::optional<std::string> request(const std::string& path, const std::string& requestLine,
                                   int timeoutMs, std::size_t maxReplyBytes);

// As request, with one try at connecting; failure says why there is no reply.
std::optional<std::string> requestOnce(const std::string& path, const std::string& requestLine,
                                       int timeoutMs, std::size_t maxReplyBytes,
                                       RequestFailure* failure = nullptr);
} // namespace ipc::localsocket
