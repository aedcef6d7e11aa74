#pragma once

// Logout, shutdown and service managers end a program with SIGTERM, a closed
// terminal with SIGHUP. While a QuitSignals exists, either one becomes a call
// on the message thread, so the program can quit the way its own Close does.
// The handler itself only writes a byte to a pipe. When they cannot be caught,
// that is said once on stderr, and they end the program the system's way.

#include <functional>
#include <string>

class QuitSignals
{
  public:
    // programName begins the line that says the signals cannot be caught.
    QuitSignals(const std::string& programName, std::function<void()> onQuitRequest);
    // Puts the default handling back.
    ~QuitSignals();

  private:
    std::function<void()> onQuit;
    int pipeFds[2] = {-1, -1};

    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;
};
