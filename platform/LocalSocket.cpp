#include "platform/LocalSocket.h"

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

namespace platform::localsocket
{
namespace
{
using Clock = std::chrono::steady_clock;

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
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

bool sendAll(int fd, const std::string& data)
{
    std::size_t sent = 0;
    while (sent < data.size())
    {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += (std::size_t)n;
    }
    return true;
}
} // namespace

std::string endpointFolder(const std::string& appName)
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && runtime[0] == '/')
        if (isPrivateFolderOfThisUser(runtime))
            return runtime;

    const std::string home = homeFolder();
    if (home.empty())
        return {};
    const std::string folder = home + "/." + fileNameSafe(appName) + "-run";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return {};
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0)
        return {};
    return folder;
}

std::string endpointPath(const std::string& appName, const std::string& purpose)
{
    const std::string folder = endpointFolder(appName);
    if (folder.empty())
        return {};
    const std::string path = folder + "/" + fileNameSafe(appName) + "." + fileNameSafe(purpose);
    sockaddr_un address;
    return makeAddress(path, address) ? path : std::string();
}

int listenAt(const std::string& path)
{
    sockaddr_un address;
    if (!makeAddress(path, address))
        return -1;

    struct stat info;
    if (lstat(path.c_str(), &info) == 0)
    {
        if (!S_ISSOCK(info.st_mode) || info.st_uid != getuid())
            return -1;
        if (const int live = connectOnce(address); live >= 0)
        {
            close(live);
            return -1;
        }
        unlink(path.c_str()); // left behind by a process that is gone
    }

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    const mode_t previousMask = umask(077);
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    umask(previousMask);
    if (!bound || listen(fd, 16) != 0)
    {
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

std::optional<std::string> request(const std::string& path, const std::string& requestLine,
                                   int timeoutMs, std::size_t maxReplyBytes)
{
    sockaddr_un address;
    if (!makeAddress(path, address))
        return std::nullopt;

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int fd = -1;
    for (;;)
    {
        fd = connectOnce(address);
        if (fd >= 0)
            break;
        const bool nobodyYet = errno == ENOENT || errno == ECONNREFUSED || errno == EAGAIN;
        if (!nobodyYet || millisecondsLeft(deadline) == 0)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    std::optional<std::string> reply;
    if (sendAll(fd, requestLine + "\n"))
    {
        shutdown(fd, SHUT_WR);
        std::string received;
        for (;;)
        {
            pollfd waitFor{fd, POLLIN, 0};
            const int ready = poll(&waitFor, 1, millisecondsLeft(deadline));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            char chunk[4096];
            const ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
            if (n < 0 && errno == EINTR)
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
    return reply;
}
} // namespace platform::localsocket
