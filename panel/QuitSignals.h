#pragma once

// Logout, shutdown and service managers end a program with SIGTERM, a closed
// terminal with SIGHUP. While a QuitSignals exists, either one becomes a call
// on the message thread, so the program can quit the way its own Close does.
// The handler itself only writes a byte to a pipe.

#include <functional>

class QuitSignals
{
  public:
    explicit QuitSignals(std::function<void()> onQuitRequest);
    // Puts the default handling back.
    ~QuitSignals();

  private:
    std::function<void()> onQuit;
    int pipeFds[2] = {-1, -1};

    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;
};
