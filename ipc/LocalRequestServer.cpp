#include "ipc/LocalRequestServer.h"

#include "ipc/LocalSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ipc
{
namespace
{
// Taken per round, so that a connection accepted in a round is read before later
// newcomers could push it out.
constexpr std::size_t maxAcceptsPerRound = LocalRequestServer::maxConnections / 2;

juce::int32 millisecondsUntil(juce::uint32 deadlineMs)
{
    return (juce::int32)(deadlineMs - juce::Time::getMillisecondCounter());
}
} // namespace

LocalRequestServer::LocalRequestServer(const juce::String& threadName, const std::string& what,
                                       std::string path, std::size_t maxBytes, Handler onRequest)
    : juce::Thread(threadName), endpointPath(std::move(path)), description(what),
      maxRequestBytes(maxBytes), handler(std::move(onRequest))
{
    std::string why;
    listenFd = localsocket::listenAt(endpointPath, why);
    if (struct stat info; listenFd >= 0 && stat(endpointPath.c_str(), &info) == 0)
    {
        endpointDevice = info.st_dev;
        endpointInode = info.st_ino;
    }
    if (listenFd >= 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
    {
        why = std::string("no wake-up pipe: ") + std::strerror(errno);
        closeEndpoint();
    }
    if (listenFd < 0)
    {
        std::fprintf(stderr, "%s%s%s: cannot be made (%s); running without it\n",
                     description.c_str(), endpointPath.empty() ? "" : " at ", endpointPath.c_str(),
                     why.c_str());
        return;
    }

    listening = true;
    threadStarted = true;
    startThread();
}

LocalRequestServer::~LocalRequestServer()
{
    stop();
}

void LocalRequestServer::stop()
{
    if (!threadStarted)
        return;
    threadStarted = false;

    signalThreadShouldExit();
    const char wake = 1;
    [[maybe_unused]] const auto written = write(wakePipe[1], &wake, 1);
    // Nothing on the thread blocks, so it ends at its next look at the wake-up pipe.
    waitForThreadToExit(-1);

    close(wakePipe[0]);
    close(wakePipe[1]);
    closeEndpoint();
}

void LocalRequestServer::closeEndpoint()
{
    if (listenFd < 0)
        return;
    close(listenFd);
    listenFd = -1;
    listening = false;
    // Only remove the endpoint if it is still the one this server made.
    struct stat info;
    if (stat(endpointPath.c_str(), &info) == 0 && info.st_dev == endpointDevice &&
        info.st_ino == endpointInode)
        unlink(endpointPath.c_str());
}

// A server that cannot go on says so once and takes its endpoint away, so that clients
// find nobody there instead of waiting for an answer.
void LocalRequestServer::stopAfterFailure(const char* what, int error)
{
    std::fprintf(stderr, "%s at %s: stopped (%s: %s); running without it\n", description.c_str(),
                 endpointPath.c_str(), what, std::strerror(error));
    while (!connections.empty())
        drop(connections.begin()->first);
    closeEndpoint();
}

void LocalRequestServer::run()
{
    std::vector<pollfd> watched;
    while (!threadShouldExit())
    {
        watched.clear();
        watched.push_back({wakePipe[0], POLLIN, 0});
        if (acceptPausedUntilMs && millisecondsUntil(*acceptPausedUntilMs) <= 0)
            acceptPausedUntilMs.reset();
        // A negative descriptor is left out by poll.
        watched.push_back({acceptPausedUntilMs ? -1 : listenFd, POLLIN, 0});
        for (const auto& [fd, connection] : connections)
            watched.push_back({fd, (short)(connection.replying ? POLLOUT : POLLIN), 0});

        const int ready = poll(watched.data(), (nfds_t)watched.size(), pollTimeoutMs());
        if (ready < 0 && errno == ENOMEM)
            juce::Thread::sleep(acceptPauseMs);
        else if (ready < 0 && errno != EINTR)
            return stopAfterFailure("poll", errno);
        if (ready > 0)
        {
            for (std::size_t i = 2; i < watched.size(); ++i)
            {
                if (watched[i].revents == 0)
                    continue;
                const auto found = connections.find(watched[i].fd);
                if (found != connections.end() && found->second.replying)
                    writeTo(watched[i].fd);
                else
                    readFrom(watched[i].fd);
            }
            if (watched[1].revents != 0 && !acceptWaitingConnections())
                return;
        }
        dropLateConnections();
    }
    while (!connections.empty())
        drop(connections.begin()->first);
}

int LocalRequestServer::pollTimeoutMs() const
{
    // Idle, the thread sleeps until a client or the wake-up pipe calls: the end of the
    // server comes through the pipe, so no timer needs to look for it.
    if (connections.empty() && !acceptPausedUntilMs)
        return -1;
    auto timeout = std::numeric_limits<juce::int32>::max();
    for (const auto& entry : connections)
        timeout = std::min(timeout, millisecondsUntil(entry.second.deadlineMs));
    if (acceptPausedUntilMs)
        timeout = std::min(timeout, millisecondsUntil(*acceptPausedUntilMs));
    return std::max(0, (int)timeout);
}

bool LocalRequestServer::acceptWaitingConnections()
{
    for (std::size_t accepted = 0; accepted < maxAcceptsPerRound; ++accepted)
    {
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
        {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors: the clients wait in the backlog while the listening
            // socket rests, instead of waking the thread again at once.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                acceptPausedUntilMs =
                    juce::Time::getMillisecondCounter() + (juce::uint32)acceptPauseMs;
            else if (errno != EAGAIN && errno != EWOULDBLOCK)
            {
                stopAfterFailure("accept", errno);
                return false;
            }
            return true;
        }
        const int client = localsocket::peerProcess(fd);
        if (!localsocket::peerIsSameUser(fd) || !makeRoomFor(client))
        {
            close(fd);
            continue;
        }
        auto& connection = connections[fd];
        connection.client = client;
        connection.openedAtMs = juce::Time::getMillisecondCounter();
        connection.deadlineMs = connection.openedAtMs + (juce::uint32)requestTimeLimitMs;
    }
    return true;
}

// A client may hold only a few connections; when all are taken, the one that has
// waited longest without sending a whole request gives way to the newcomer.
bool LocalRequestServer::makeRoomFor(int client)
{
    const auto held = std::count_if(connections.begin(), connections.end(),
                                    [client](const auto& entry)
                                    { return client != 0 && entry.second.client == client; });
    if ((std::size_t)held >= maxConnectionsPerClient)
        return false;
    if (connections.size() < maxConnections)
        return true;

    auto oldest = connections.end();
    for (auto it = connections.begin(); it != connections.end(); ++it)
        if (!it->second.replying &&
            (oldest == connections.end() ||
             (juce::int32)(it->second.openedAtMs - oldest->second.openedAtMs) < 0))
            oldest = it;
    if (oldest == connections.end())
        return false;
    drop(oldest->first);
    return true;
}

void LocalRequestServer::readFrom(int fd)
{
    const auto found = connections.find(fd);
    if (found == connections.end())
        return;
    Connection& connection = found->second;
    std::string& received = connection.received;

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

        const auto reply = handler(received.substr(0, end));
        if (!reply.has_value() || reply->empty())
            break;
        connection.reply = *reply;
        connection.received.clear();
        connection.replying = true;
        connection.deadlineMs =
            juce::Time::getMillisecondCounter() + (juce::uint32)replyTimeLimitMs;
        writeTo(fd);
        return;
    }
    drop(fd);
}

void LocalRequestServer::writeTo(int fd)
{
    const auto found = connections.find(fd);
    if (found == connections.end())
        return;
    Connection& connection = found->second;

    while (connection.sent < connection.reply.size())
    {
        const ssize_t n = send(fd, connection.reply.data() + connection.sent,
                               connection.reply.size() - connection.sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // the rest when the client has read some
        if (n <= 0)
            break;
        connection.sent += (std::size_t)n;
    }
    drop(fd);
}

void LocalRequestServer::drop(int fd)
{
    if (connections.erase(fd) != 0)
        close(fd);
}

void LocalRequestServer::dropLateConnections()
{
    std::vector<int> late;
    for (const auto& [fd, connection] : connections)
        if (millisecondsUntil(connection.deadlineMs) <= 0)
            late.push_back(fd);
    for (const int fd : late)
        drop(fd);
}
} // namespace ipc
