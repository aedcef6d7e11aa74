#include "ipc/InstanceLock.h"

#include "ipc/LocalSocket.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ipc
{
InstanceLock::InstanceLock(const std::string& applicationName)
    : lockPath(localsocket::endpointPath(applicationName, "lock"))
{
    tryToTake();
}

InstanceLock::~InstanceLock()
{
    if (fd >= 0)
        close(fd);
}

InstanceLock::State InstanceLock::tryToTake()
{
    if (current == State::held)
        return current;
    current = State::unavailable;
    if (lockPath.empty())
    {
        why = "no private folder of this user for it";
        return current;
    }
    if (fd < 0)
    {
        fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        struct stat info;
        if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid()))
        {
            close(fd);
            fd = -1;
            errno = EPERM;
        }
        if (fd < 0)
        {
            why = lockPath + ": " + std::strerror(errno);
            return current;
        }
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        current = State::held;
    else if (errno == EWOULDBLOCK)
        current = State::heldElsewhere;
    else
        why = lockPath + ": " + std::strerror(errno);
    return current;
}
} // namespace ipc
