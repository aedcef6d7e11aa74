#pragma once

// One running program per user account: a lock file beside the program's local
// endpoints, in the user's private folder. The lock is the kernel's (flock), so a
// program that crashed leaves no lock behind, only a file the next start takes.

#include <string>

namespace ipc
{
class InstanceLock
{
  public:
    enum class State
    {
        held,          // this process is the running instance
        heldElsewhere, // another process of this user holds it
        blocked,       // something that is not this user's lock file is in its place
        unavailable    // no lock can be made: no private folder for it
    };

    explicit InstanceLock(const std::string& applicationName);
    ~InstanceLock();

    // Tries again; a lock held elsewhere may have been let go since.
    State tryToTake();
    State state() const { return current; }
    // Why the lock is blocked or unavailable.
    const std::string& problem() const { return why; }
    const std::string& path() const { return lockPath; }

  private:
    std::string lockPath;
    int fd = -1;
    State current = State::unavailable;
    std::string why;

    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
};
} // namespace ipc
