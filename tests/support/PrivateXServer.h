#pragma once

#include <string>
#include <sys/types.h>

namespace k71test
{
// Ends a child the test support started (SIGTERM) and reaps it; pid becomes -1.
void endChildProcess(pid_t& pid);

// A private Xvfb for one test process, so parallel tests that move the real
// pointer or take focus never meet on one screen.
class PrivateXServer
{
  public:
    // Starts Xvfb with a 24-bit 1600x1200 screen; returns false if it could not.
    bool start();
    void stop();
    ~PrivateXServer() { stop(); }

    const std::string& display() const { return displayName; }

  private:
    pid_t pid = -1;
    std::string displayName;
};
} // namespace k71test
