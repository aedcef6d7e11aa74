#include "PanelSession.h"

#include "support/MessageLoop.h"
#include "widgets/PopupMenuLookAndFeel.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace e2e
{
namespace
{
struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};

// A window that went away between two queries is an answer, not a reason to end.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

std::unique_ptr<Display, DisplayCloser> openDisplay()
{
    XSetErrorHandler(ignoreXError);
    return std::unique_ptr<Display, DisplayCloser>(XOpenDisplay(nullptr));
}
} // namespace

std::string run(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        char chunk[4096];
        for (size_t n; (n = fread(chunk, 1, sizeof(chunk), pipe)) > 0;)
            output.append(chunk, n);
        pclose(pipe);
    }
    return output;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

ProgramProcess::ProgramProcess(const std::vector<std::string>& arguments)
    : ProgramProcess(Launch{arguments, {}, false, {}})
{
}

ProgramProcess::ProgramProcess(const Launch& launch)
{
    std::vector<std::string> words;
    if (launch.asNobody)
        words = {"/usr/bin/setpriv", "--reuid", "nobody", "--regid", "nogroup", "--clear-groups"};
    words.push_back(K71_PROGRAM_PATH);
    words.insert(words.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        const std::string variable = *entry;
        bool replaced = false;
        for (const auto& [name, value] : launch.environment)
            replaced |= variable.rfind(name + "=", 0) == 0;
        if (!replaced)
            environment.push_back(variable);
    }
    for (const auto& [name, value] : launch.environment)
        if (!value.empty())
            environment.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    pid = fork();
    if (pid == 0)
    {
        // The program must not outlive a test that was stopped.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (!launch.stderrFile.empty())
            if (const int fd = open(launch.stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                fd >= 0)
                dup2(fd, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

void ProgramProcess::sendSignal(int signalNumber)
{
    if (running())
        kill(pid, signalNumber);
}

ProgramProcess::~ProgramProcess()
{
    crash();
}

void ProgramProcess::crash()
{
    if (running())
    {
        kill(pid, SIGKILL);
        waitForExit(5000);
    }
}

std::vector<std::string> ProgramProcess::threadNames() const
{
    std::vector<std::string> names;
    for (const auto& task : juce::File("/proc/" + juce::String(pid) + "/task")
                                .findChildFiles(juce::File::findDirectories, false))
        names.push_back(task.getChildFile("comm").loadFileAsString().trim().toStdString());
    std::sort(names.begin(), names.end());
    return names;
}

bool ProgramProcess::running()
{
    if (pid < 0 || exitStatus.has_value())
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, WNOHANG, &usage) == pid)
    {
        exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        cpuUsed = (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        return false;
    }
    return true;
}

std::optional<int> ProgramProcess::waitForExit(int timeoutMs)
{
    k71test::pumpUntil([this] { return !running(); }, timeoutMs);
    return exitStatus;
}

std::string sim(const std::string& request)
{
    return run(std::string(K71_SIM_TOOL_PATH) + " " + request + " 2>&1");
}

std::vector<std::string> reports()
{
    return lines(sim("reports"));
}

std::vector<std::string> writes()
{
    return lines(sim("writes"));
}

unsigned long findWindow(const std::string& title)
{
    for (const auto& line : lines(run("xdotool search --onlyvisible --name '^" + title + "$'")))
        return std::stoul(line);
    return 0;
}

std::size_t countWindows(const std::string& title)
{
    return lines(run("xdotool search --onlyvisible --name '^" + title + "$'")).size();
}

std::string windowName(unsigned long window)
{
    const auto text = lines(run("xdotool getwindowname " + std::to_string(window)));
    return text.empty() ? std::string() : text[0];
}

WindowGeometry geometry(unsigned long window)
{
    auto display = openDisplay();
    WindowGeometry result;
    ::Window root, child;
    int x, y;
    unsigned width, height, border, depth;
    if (XGetGeometry(display.get(), window, &root, &x, &y, &width, &height, &border, &depth))
    {
        XTranslateCoordinates(display.get(), window, root, 0, 0, &result.x, &result.y, &child);
        result.width = (int)width;
        result.height = (int)height;
    }
    return result;
}

bool hasFocus(unsigned long window)
{
    auto display = openDisplay();
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(display.get(), &focus, &revert);
    while (focus != 0 && focus != PointerRoot && focus != window)
    {
        ::Window root, parent, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display.get(), focus, &root, &parent, &children, &count))
            return false;
        if (children != nullptr)
            XFree(children);
        if (parent == root)
            return false;
        focus = parent;
    }
    return focus == window;
}

void prepareDisplay()
{
    auto display = openDisplay();
    for (const char* name : {"WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS", "_NET_WM_PING"})
        XInternAtom(display.get(), name, False);
    XSync(display.get(), False);
}

void focusNothing()
{
    auto display = openDisplay();
    XSetInputFocus(display.get(), PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display.get(), False);
}

void requestClose(unsigned long window)
{
    auto display = openDisplay();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display.get(), "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display.get(), window, False, NoEventMask, &event);
    XSync(display.get(), False);
}

void click(unsigned long window, int x, int y)
{
    run("xdotool mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
        std::to_string(y) + " click 1");
}

void drag(unsigned long window, int x, int y, int toX, int toY)
{
    const std::string id = std::to_string(window);
    std::string command = "xdotool mousemove --window " + id + " " + std::to_string(x) + " " +
                          std::to_string(y) + " mousedown 1";
    for (int step = 1; step <= 4; ++step)
        command += " mousemove --window " + id + " " + std::to_string(x + (toX - x) * step / 4) +
                   " " + std::to_string(y + (toY - y) * step / 4);
    run(command + " mouseup 1");
}

int menuBarHeight()
{
    return PopupMenuLookandFeel().getDefaultMenuBarHeight();
}

namespace
{
int menuTitleCentre(int index)
{
    PopupMenuLookandFeel look;
    juce::MenuBarComponent bar;
    bar.setSize(320, menuBarHeight()); // the font follows the bar's height
    const int fileWidth = look.getMenuBarItemWidth(bar, 0, "File");
    return index == 0 ? fileWidth / 2 : fileWidth + look.getMenuBarItemWidth(bar, 1, "Config") / 2;
}
} // namespace

bool chooseMenuItem(unsigned long window, int menuIndex, bool lastItem)
{
    click(window, menuTitleCentre(menuIndex), menuBarHeight() / 2);
    unsigned long popup = 0;
    if (!k71test::pumpUntil([&] { return (popup = findWindow("menu")) != 0; }))
        return false;
    const auto menu = geometry(popup);
    // A menu takes no click in its first moments; click until it has taken one.
    for (int attempt = 0; attempt < 20 && findWindow("menu") != 0; ++attempt)
    {
        click(popup, menu.width / 2, lastItem ? menu.height - 9 : 9);
        k71test::pumpUntil([] { return findWindow("menu") == 0; }, 250);
    }
    return findWindow("menu") == 0;
}

juce::File settingsFile()
{
    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
        .getChildFile("K71 VT")
        .getChildFile("K71 VT.settings");
}

std::string setting(const juce::String& key)
{
    auto xml = juce::parseXML(settingsFile());
    if (xml == nullptr)
        return "<no file>";
    for (auto* value : xml->getChildWithTagNameIterator("VALUE"))
        if (value->getStringAttribute("name") == key)
            return value->getStringAttribute("val").toStdString();
    return "<missing>";
}

} // namespace e2e
