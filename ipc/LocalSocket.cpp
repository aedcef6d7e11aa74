#include "ipc/LocalSocket.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace ipc::localsocket
{
namespace
{
using Clock = std::chrono::steady_clock;

// Room left in a socket address for "/<appName>.<purpose>" after the folder.
constexpr std::size_t longestPurpose = 16;

bool isPrivateFolderOfThisUser(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

// Keeps the name to characters that are safe in a file name.
std::string fileNameSafe(const std::string& text)
{
    std::string safe;
    for (const char c : text)
    {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        safe += plain ? c : '_';
    }
    return safe;
}

bool leavesRoomForEndpoints(const std::string& folder, const std::string& appName)
{
    return folder.size() + 2 + fileNameSafe(appName).size() + longestPurpose <
           sizeof(sockaddr_un::sun_path);
}

bool isUsableRuntimeFolder(const std::string& folder, const std::string& appName)
{
    return folder.size() > 1 && folder[0] == '/' && leavesRoomForEndpoints(folder, appName) &&
           isPrivateFolderOfThisUser(folder);
}

bool makeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int connectOnce(const sockaddr_un& address)
{
    // Non-blocking: a listener whose backlog is full answers EAGAIN at once instead of
    // holding the caller past its deadline.
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return fd;
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
}

int millisecondsLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? (int)left : 0;
}

// Waits until fd is ready for events; false when the deadline passed first.
bool waitUntilReady(int fd, short events, Clock::time_point deadline)
{
    for (;;)
    {
        pollfd waitFor{fd, events, 0};
        const int ready = poll(&waitFor, 1, millisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0;
    }
}

bool sendAll(int fd, const std::string& data, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < data.size())
    {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        {
            if (!waitUntilReady(fd, POLLOUT, deadline))
                return false;
            continue;
        }
        if (n <= 0)
            return false;
        sent += (std::size_t)n;
    }
    return true;
}
} // namespace

std::string endpointFolder(const std::string& appName)
{
    // Launches with and without XDG_RUNTIME_DIR meet in the same folder as long as it
    // names the user's runtime folder.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && isUsableRuntimeFolder(runtime, appName))
        return runtime;
    if (const std::string userRuntime = "/run/user/" + std::to_string(getuid());
        isUsableRuntimeFolder(userRuntime, appName))
        return userRuntime;

    const std::string home = homeFolder();
    if (home.empty())
        return {};
    const std::string folder = home + "/." + fileNameSafe(appName) + "-run";
    if (!leavesRoomForEndpoints(folder, appName))
        return {};
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return {};
    // Our own folder, widened by someone: narrowed again before use.
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0)
        return {};
    return folder;
}

std::string endpointPath(const std::string& appName, const std::string& purpose)
{
    const std::string folder = endpointFolder(appName);
    if (folder.empty() || purpose.size() > longestPurpose)
        return {};
    return folder + "/" + fileNameSafe(appName) + "." + fileNameSafe(purpose);
}

int listenAt(const std::string& path, std::string& why)
{
    sockaddr_un address;
    if (!makeAddress(path, address))
    {
        why = path.empty() ? "no private folder for it" : "the path is too long";
        return -1;
    }

    struct stat info;
    if (lstat(path.c_str(), &info) == 0)
    {
        if (!S_ISSOCK(info.st_mode) || info.st_uid != getuid())
        {
            why = "something else is in its place";
            return -1;
        }
        if (const int live = connectOnce(address); live >= 0 || errno == EAGAIN)
        {
            if (live >= 0)
                close(live);
            why = "another process listens there";
            return -1;
        }
        unlink(path.c_str()); // left behind by a process that is gone
    }

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
    {
        why = std::strerror(errno);
        return -1;
    }
    // Linux gives the socket file the mode of the socket's own inode (less the umask), so
    // the mode is set there: the umask is the whole process's, and other threads read it.
    if (fchmod(fd, 0600) != 0 ||
        bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(fd, SOMAXCONN) != 0)
    {
        why = std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

bool peerIsSameUser(int fd)
{
    ucred credentials;
    socklen_t length = sizeof(credentials);
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return length == sizeof(credentials) && credentials.uid == getuid();
}

int peerProcess(int fd)
{
    ucred credentials;
    socklen_t length = sizeof(credentials);
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof(credentials))
        return 0;
    return (int)credentials.pid;
}

std::optional<std::string> requestOnce(const std::string& path, const std::string& requestLine,
                                       int timeoutMs, std::size_t maxReplyBytes,
                                       RequestFailure* failure)
{
    const auto fail = [failure](RequestFailure why) -> std::optional<std::string>
    {
        if (failure != nullptr)
            *failure = why;
        return std::nullopt;
    };
    sockaddr_un address;
    if (!makeAddress(path, address))
        return fail(RequestFailure::nobodyListens);
    const int fd = connectOnce(address);
    if (fd < 0)
        return fail(errno == ENOENT || errno == ECONNREFUSED ? RequestFailure::nobodyListens
                    : errno == EAGAIN                        ? RequestFailure::busy
                                                             : RequestFailure::noAnswer);

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::optional<std::string> reply;
    if (sendAll(fd, requestLine + "\n", deadline))
    {
        shutdown(fd, SHUT_WR);
        std::string received;
        while (waitUntilReady(fd, POLLIN, deadline))
        {
            char chunk[4096];
            const ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (n < 0)
                break;
            if (n == 0)
            {
                reply = std::move(received);
                break;
            }
            received.append(chunk, (std::size_t)n);
            if (received.size() > maxReplyBytes)
                break;
        }
    }
    close(fd);
    return reply.has_value() ? reply : fail(RequestFailure::noAnswer);
}

std::optional<std::string> request(const std::string& path, const std::string& requestLine,
                                   int timeoutMs, std::size_t maxReplyBytes)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        auto failure = RequestFailure::noAnswer;
        auto reply =
            requestOnce(path, requestLine, millisecondsLeft(deadline), maxReplyBytes, &failure);
        if (reply.has_value() || failure == RequestFailure::noAnswer ||
            millisecondsLeft(deadline) == 0)
            return reply;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
} // namespace ipc::localsocket
