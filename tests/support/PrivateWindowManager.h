#pragma once

#include <sys/types.h>

namespace k71test
{
// openbox on the test's own X server (DISPLAY), for what only a window
// manager makes real: frames, size hints obeyed, stacking, the close button.
class PrivateWindowManager
{
  public:
    // Starts it and waits until it manages the screen; false if it could not.
    bool start();
    void stop();
    ~PrivateWindowManager() { stop(); }

  private:
    pid_t pid = -1;
};
} // namespace k71test
