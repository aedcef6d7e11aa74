#pragma once

// Per-user local endpoints (Unix-domain sockets) for talking to the running
// program: one request line in, one reply out, then the connection closes.
// Only this user can reach them: they live in a private folder and the server
// checks the peer's user id as well.

#include <cstddef>
#include <optional>
#include <string>

namespace platform::localsocket
{
// $XDG_RUNTIME_DIR when it is a private folder of this user, otherwise a folder of
// mode 0700 in the home ("~/.<appName>-run"), made when missing. Empty when neither
// is usable.
std::string endpointFolder(const std::string& appName);

// "<folder>/<appName>.<purpose>"; empty when there is no usable folder or the path
// does not fit a socket address.
std::string endpointPath(const std::string& appName, const std::string& purpose);

// A non-blocking listening socket at path, or -1. An endpoint left behind by a process
// that is gone is replaced; one that a live process still listens on is left alone.
int listenAt(const std::string& path);

// Whether the process at the other end of a connected socket runs as this user.
bool peerIsSameUser(int fd);

// Connects (retrying while nobody listens yet, until the timeout), sends the request
// line, and reads the reply until the server closes. nullopt when no server took the
// request, the reply did not come in time, or it grew beyond maxReplyBytes.
std::optional<std::string> request(const std::string& path, const std::string& requestLine,
                                   int timeoutMs, std::size_t maxReplyBytes);
} // namespace platform::localsocket
