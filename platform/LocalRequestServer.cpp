#include "platform/LocalRequestServer.h"

#include "platform/LocalSocket.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{
LocalRequestServer::LocalRequestServer(const juce::String& threadName, std::string path,
                                       std::size_t maxBytes, Handler onRequest)
    : juce::Thread(threadName), endpointPath(std::move(path)), maxRequestBytes(maxBytes),
      handler(std::move(onRequest))
{
    listenFd = localsocket::listenAt(endpointPath);
    if (listenFd < 0)
        return;
    if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
    {
        close(listenFd);
        listenFd = -1;
        return;
    }

    struct stat info;
    if (stat(endpointPath.c_str(), &info) == 0)
    {
        endpointDevice = info.st_dev;
        endpointInode = info.st_ino;
    }
    startThread();
}

LocalRequestServer::~LocalRequestServer()
{
    if (listenFd < 0)
        return;

    signalThreadShouldExit();
    const char wake = 1;
    [[maybe_unused]] const auto written = write(wakePipe[1], &wake, 1);
    stopThread(5000);

    close(wakePipe[0]);
    close(wakePipe[1]);
    close(listenFd);
    // Only remove the endpoint if it is still the one this server made.
    struct stat info;
    if (stat(endpointPath.c_str(), &info) == 0 && info.st_dev == endpointDevice &&
        info.st_ino == endpointInode)
        unlink(endpointPath.c_str());
}

void LocalRequestServer::run()
{
    std::vector<pollfd> watched;
    while (!threadShouldExit())
    {
        watched.clear();
        watched.push_back({wakePipe[0], POLLIN, 0});
        watched.push_back({listenFd, POLLIN, 0});
        for (const auto& entry : connections)
            watched.push_back({entry.first, POLLIN, 0});

        const int ready = poll(watched.data(), (nfds_t)watched.size(), 250);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0)
        {
            for (std::size_t i = 2; i < watched.size(); ++i)
                if (watched[i].revents != 0)
                    readFrom(watched[i].fd);
            if (watched[1].revents != 0)
                acceptWaitingConnections();
        }
        dropSilentConnections();
    }
    while (!connections.empty())
        drop(connections.begin()->first);
}

void LocalRequestServer::acceptWaitingConnections()
{
    for (;;)
    {
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
        {
            if (errno == EINTR)
                continue;
            return;
        }
        if (connections.size() >= maxConnections || !localsocket::peerIsSameUser(fd))
        {
            close(fd);
            continue;
        }
        connections[fd].openedAtMs = juce::Time::getMillisecondCounter();
    }
}

void LocalRequestServer::readFrom(int fd)
{
    const auto found = connections.find(fd);
    if (found == connections.end())
        return;
    std::string& received = found->second.received;

    char chunk[4096];
    for (;;)
    {
        const ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0)
            break; // closed before a whole line came
        received.append(chunk, (std::size_t)n);

        const auto end = received.find('\n');
        if (end == std::string::npos)
        {
            if (received.size() > maxRequestBytes)
                break;
            continue;
        }
        if (end > maxRequestBytes || end + 1 != received.size() ||
            received.find('\0') != std::string::npos)
            break;
        const std::string requestLine = received.substr(0, end);
        answer(fd, requestLine);
        return;
    }
    drop(fd);
}

void LocalRequestServer::answer(int fd, const std::string& requestLine)
{
    connections.erase(fd);

    const auto reply = handler(requestLine);
    if (reply.has_value())
    {
        // The reply may be long (a whole record listing): write it blocking, with a
        // time limit so a client that stops reading cannot hold the server.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        timeval limit{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
        std::size_t sent = 0;
        while (sent < reply->size())
        {
            const ssize_t n = send(fd, reply->data() + sent, reply->size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            sent += (std::size_t)n;
        }
    }
    close(fd);
}

void LocalRequestServer::drop(int fd)
{
    if (connections.erase(fd) != 0)
        close(fd);
}

void LocalRequestServer::dropSilentConnections()
{
    const auto now = juce::Time::getMillisecondCounter();
    std::vector<int> silent;
    for (const auto& [fd, connection] : connections)
        if (now - connection.openedAtMs > (juce::uint32)silentConnectionLimitMs)
            silent.push_back(fd);
    for (const int fd : silent)
        drop(fd);
}
} // namespace platform
