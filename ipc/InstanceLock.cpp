#include "ipc/InstanceLock.h"

#include "ipc/LocalSocket.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ipc
{
namespace
{
std::string describeEntry(const std::string& path, int openError)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return path + ": " + std::strerror(openError);
    const char* kind = S_ISDIR(info.st_mode)     ? "a folder"
                       : S_ISLNK(info.st_mode)   ? "a symbolic link"
                       : S_ISFIFO(info.st_mode)  ? "a named pipe"
                       : S_ISSOCK(info.st_mode)  ? "a socket"
                       : !S_ISREG(info.st_mode)  ? "a device"
                       : info.st_uid != getuid() ? "a file of another user"
                                                 : nullptr;
    if (kind == nullptr)
        return path + ": " + std::strerror(openError);
    return path + " is " + kind + ", not this user's lock file";
}
} // namespace

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
        const int openError = errno;
        struct stat info;
        const bool ours =
            fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid();
        if (!ours)
        {
            if (fd >= 0)
                close(fd);
            fd = -1;
            // Whatever is there, no lock that another launch would see is taken through
            // it: this launch may not run as if it were the only one.
            current = State::blocked;
            why = describeEntry(lockPath, openError);
            return current;
        }
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        current = State::held;
    else if (errno == EWOULDBLOCK)
        current = State::heldElsewhere;
    else
    {
        current = State::blocked;
        why = lockPath + ": " + std::strerror(errno);
    }
    return current;
}
} // namespace ipc
