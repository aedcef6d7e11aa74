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

// How a process of the program is started.
struct Launch
{
    std::vector<std::string> arguments;
    // Environment variables to set; an empty value unsets the variable.
    std::vector<std::pair<std::string, std::string>> environment;
    // Runs it as user nobody (the test must run as root).
    bool asNobody = false;
    // Where its standard error goes, when not to the test's.
    std::string stderrFile;
};

// One process of the program.
class ProgramProcess
{
  public:
    explicit ProgramProcess(const std::vector<std::string>& arguments = {});
    explicit ProgramProcess(const Launch& launch);
    ~ProgramProcess();

    // The exit status once the process ended within the timeout.
    std::optional<int> waitForExit(int timeoutMs);
    bool running();
    // Ends it the hard way, as a crash would, and waits for it.
    void crash();
    void sendSignal(int signalNumber);
    // The CPU time (user and system) the process used, once it has ended.
    double cpuSeconds() const { return cpuUsed; }
    // The names the system shows for the process's threads, sorted.
    std::vector<std::string> threadNames() const;

  private:
    pid_t pid = -1;
    std::optional<int> exitStatus;
    double cpuUsed = 0;
};

// k71vt-sim with the given request; its standard output.
std::string sim(const std::string& request);
std::vector<std::string> reports();
std::vector<std::string> writes();

// The visible window titled exactly so, or 0; and how many there are.
unsigned long findWindow(const std::string& title);
std::size_t countWindows(const std::string& title);
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
// A value in that file, "<no file>" without a readable file, "<missing>" without the key.
std::string setting(const juce::String& key);

} // namespace e2e
