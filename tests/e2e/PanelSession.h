#pragma once

// Runs the real K71VT program under the test's own X server and reaches it the
// way a user and the k71vt-sim tool would: X input at the controls' positions,
// window queries, and the simulator's records.

#include <juce_core/juce_core.h>

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace e2e
{
struct WindowGeometry
{
    int x = 0, y = 0, width = 0, height = 0;
};

// Output of a shell command (the words are the test's own, never user input).
std::string run(const std::string& command);
std::vector<std::string> lines(const std::string& text);

// One process of the program.
class ProgramProcess
{
  public:
    explicit ProgramProcess(const std::vector<std::string>& arguments = {});
    ~ProgramProcess();

    // The exit status once the process ended within the timeout.
    std::optional<int> waitForExit(int timeoutMs);
    bool running();
    // Ends it the hard way, as a crash would, and waits for it.
    void crash();
    // Sends it a signal, as a terminal or the system would.
    void sendSignal(int number);

  private:
    pid_t pid = -1;
    std::optional<int> exitStatus;
};

// k71vt-sim with the given request; its standard output.
std::string sim(const std::string& request);
std::vector<std::string> reports();
std::vector<std::string> writes();

// The visible window titled exactly so, or 0.
unsigned long findWindow(const std::string& title);
std::string windowName(unsigned long window);
WindowGeometry geometry(unsigned long window);
// Whether the keyboard focus is in the window or one of its children.
bool hasFocus(unsigned long window);
// Makes the atoms a window manager would have made before any program starts;
// the framework only listens for close requests whose atom existed at its start.
void prepareDisplay();
void focusNothing();
// What a window manager sends when the user clicks the window's close button.
void requestClose(unsigned long window);

// Real pointer input through the X server, relative to the window.
void click(unsigned long window, int x, int y);
void drag(unsigned long window, int x, int y, int toX, int toY);

// The height of the panel's menu bar.
int menuBarHeight();
// Opens a menu of the bar of a window with a 320 wide content area and clicks an item
// near its top or bottom; whether the menu then closed.
bool chooseMenuItem(unsigned long window, int menuIndex, bool lastItem);

// Settings file of the program under the test's HOME.
juce::File settingsFile();

// Serialises the tests that run the program: its single-instance lock is one per
// machine, so two test processes must not run it at once.
class ProgramLock
{
  public:
    ProgramLock();
    ~ProgramLock();

  private:
    int fd = -1;
};
} // namespace e2e
