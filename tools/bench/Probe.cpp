// Starts two programs alternately under the X server of $DISPLAY and measures
// each run: exec -> first mapped window, exec -> first frame that is not one
// colour, resident memory 2 s after the map, CPU time and thread wake-ups in
// the 10 s after that. Prints min / median / max of each and the ratio of the
// second program's median to the first's.
//
//   k71_bench_probe <runs> <first program> <second program>
//
// Every run gets a fresh temporary HOME and XDG_RUNTIME_DIR. Only one program
// runs at a time, so every top-level window that appears is the running one's.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr double settleMs = 2000.0;
constexpr double idleMs = 10000.0;
constexpr double startTimeoutMs = 30000.0;

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1.0e6;
}

void sleepMs(double ms)
{
    timespec t{};
    t.tv_sec = (time_t)(ms / 1000.0);
    t.tv_nsec = (long)((ms - t.tv_sec * 1000.0) * 1.0e6);
    while (nanosleep(&t, &t) != 0 && errno == EINTR)
    {
    }
}

// Windows that vanish while they are looked at are not errors here.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

struct Sample
{
    double mapMs = 0, frameMs = 0, rssMiB = 0, cpuMs = 0, wakeupsPerSecond = 0;
};

struct ThreadTimes
{
    double cpuNs = 0;
    long long voluntarySwitches = 0;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

long long fieldOf(const std::string& status, const std::string& key)
{
    const auto at = status.find(key + ":");
    return at == std::string::npos ? 0 : std::atoll(status.c_str() + at + key.size() + 1);
}

// Per thread: time on a CPU (schedstat) and voluntary context switches, each
// of which is one wake-up from a sleep.
std::map<std::string, ThreadTimes> threadTimes(pid_t pid)
{
    std::map<std::string, ThreadTimes> times;
    std::error_code error;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error))
    {
        const auto dir = task.path().string();
        ThreadTimes t;
        t.cpuNs = std::atof(readFile(dir + "/schedstat").c_str());
        t.voluntarySwitches = fieldOf(readFile(dir + "/status"), "voluntary_ctxt_switches");
        times[task.path().filename().string()] = t;
    }
    return times;
}

bool isOneColour(Display* display, Window window)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable || attributes.width <= 0 || attributes.height <= 0)
        return true;
    XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width,
                              (unsigned)attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr)
        return true;
    const unsigned long first = XGetPixel(image, 0, 0);
    bool uniform = true;
    for (int y = 0; y < image->height && uniform; ++y)
        for (int x = 0; x < image->width; ++x)
            if (XGetPixel(image, x, y) != first)
            {
                uniform = false;
                break;
            }
    XDestroyImage(image);
    return uniform;
}

struct TopLevel
{
    Damage damage = 0;
    bool mapped = false;
    double mappedAt = 0;
};

void drainEvents(Display* display)
{
    XSync(display, False);
    while (XPending(display) > 0)
    {
        XEvent event;
        XNextEvent(display, &event);
    }
}

std::string makeTempDir(const char* pattern)
{
    std::string path = std::filesystem::temp_directory_path().string() + "/" + pattern;
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
    {
        std::perror("mkdtemp");
        std::exit(1);
    }
    chmod(buffer.data(), 0700);
    return buffer.data();
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    const double deadline = nowMs() + 5000;
    while (nowMs() < deadline)
    {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        sleepMs(20);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::optional<Sample> measure(Display* display, int damageEvent, const std::string& program)
{
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    drainEvents(display);

    const auto home = makeTempDir("k71-bench-home-XXXXXX");
    const auto runtime = makeTempDir("k71-bench-run-XXXXXX");

    int execTimePipe[2];
    if (pipe(execTimePipe) != 0)
        return std::nullopt;
    const pid_t pid = fork();
    if (pid == 0)
    {
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        close(execTimePipe[0]);
        const double execAt = nowMs();
        (void)!write(execTimePipe[1], &execAt, sizeof execAt);
        close(execTimePipe[1]);
        execl(program.c_str(), program.c_str(), (char*)nullptr);
        _exit(127);
    }
    close(execTimePipe[1]);
    double execAt = 0;
    (void)!read(execTimePipe[0], &execAt, sizeof execAt);
    close(execTimePipe[0]);

    std::map<Window, TopLevel> windows;
    std::optional<Sample> sample;
    double mapAt = 0, frameAt = 0;
    const double deadline = nowMs() + startTimeoutMs;
    while (frameAt == 0 && nowMs() < deadline)
    {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
        {
            std::fprintf(stderr, "%s ended before it showed a window\n", program.c_str());
            return std::nullopt;
        }
        if (XPending(display) == 0)
        {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 5);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        const double at = nowMs();
        if (event.type == CreateNotify && event.xcreatewindow.parent == root)
        {
            auto& window = windows[event.xcreatewindow.window];
            window.damage =
                XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
        }
        else if (event.type == MapNotify && windows.count(event.xmap.window) != 0)
        {
            auto& window = windows[event.xmap.window];
            window.mapped = true;
            window.mappedAt = at;
            // A window drawn before it is mapped shows its picture at once.
            if (!isOneColour(display, event.xmap.window))
            {
                mapAt = at;
                frameAt = at;
            }
        }
        else if (event.type == UnmapNotify && windows.count(event.xunmap.window) != 0)
        {
            windows[event.xunmap.window].mapped = false;
        }
        else if (event.type == DestroyNotify)
        {
            windows.erase(event.xdestroywindow.window);
        }
        else if (event.type == damageEvent + XDamageNotify)
        {
            const auto& notify = reinterpret_cast<const XDamageNotifyEvent&>(event);
            auto found = windows.find(notify.drawable);
            if (found == windows.end())
                continue;
            XDamageSubtract(display, notify.damage, None, None);
            // Only a window on screen counts: one mapped and unmapped again
            // before it showed anything was never seen.
            if (found->second.mapped && !isOneColour(display, notify.drawable))
            {
                mapAt = found->second.mappedAt;
                frameAt = at;
            }
        }
    }
    if (frameAt == 0)
    {
        std::fprintf(stderr, "%s showed no frame within %.0f s\n", program.c_str(),
                     startTimeoutMs / 1000);
        stop(pid);
        return std::nullopt;
    }
    XSelectInput(display, root, NoEventMask);
    drainEvents(display);

    sleepMs(std::max(0.0, mapAt + settleMs - nowMs()));
    Sample s;
    s.mapMs = mapAt - execAt;
    s.frameMs = frameAt - execAt;
    const auto status = readFile("/proc/" + std::to_string(pid) + "/status");
    s.rssMiB = fieldOf(status, "VmRSS") / 1024.0;

    const auto before = threadTimes(pid);
    const double idleStart = nowMs();
    sleepMs(idleMs);
    const auto after = threadTimes(pid);
    const double idleSeconds = (nowMs() - idleStart) / 1000.0;
    double cpuNs = 0;
    long long wakeups = 0;
    for (const auto& [tid, late] : after)
    {
        auto early = before.find(tid);
        const ThreadTimes start = early != before.end() ? early->second : ThreadTimes{};
        cpuNs += late.cpuNs - start.cpuNs;
        wakeups += late.voluntarySwitches - start.voluntarySwitches;
    }
    s.cpuMs = cpuNs / 1.0e6;
    s.wakeupsPerSecond = wakeups / idleSeconds;
    sample = s;

    stop(pid);
    std::filesystem::remove_all(home);
    std::filesystem::remove_all(runtime);
    return sample;
}

struct Spread
{
    double min, median, max;
};

Spread spreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {values.front(), median, values.back()};
}

std::string cell(const Spread& s, int decimals)
{
    char text[96];
    std::snprintf(text, sizeof text, "%.*f / %.*f / %.*f", decimals, s.min, decimals, s.median,
                  decimals, s.max);
    return text;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || std::atoi(argv[1]) < 1)
    {
        std::fprintf(stderr, "usage: %s <runs> <first program> <second program>\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::string programs[2] = {argv[2], argv[3]};

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        std::fprintf(stderr, "no X server at DISPLAY\n");
        return 1;
    }
    XSetErrorHandler(ignoreXError);
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError))
    {
        std::fprintf(stderr, "the X server has no DAMAGE extension\n");
        return 1;
    }

    std::vector<Sample> samples[2];
    for (int run = 0; run < runs; ++run)
        for (int p = 0; p < 2; ++p)
        {
            const auto sample = measure(display, damageEvent, programs[p]);
            if (!sample)
                return 1;
            samples[p].push_back(*sample);
            std::fprintf(stderr,
                         "run %d %s: map %.1f ms, frame %.1f ms, %.1f MiB, %.0f ms CPU, "
                         "%.0f wake-ups/s\n",
                         run + 1, std::filesystem::path(programs[p]).filename().c_str(),
                         sample->mapMs, sample->frameMs, sample->rssMiB, sample->cpuMs,
                         sample->wakeupsPerSecond);
        }

    struct Metric
    {
        const char* name;
        double Sample::*field;
        int decimals;
    };
    const Metric metrics[] = {
        {"exec -> window mapped (ms)", &Sample::mapMs, 1},
        {"exec -> first drawn frame (ms)", &Sample::frameMs, 1},
        {"resident memory 2 s after map (MiB)", &Sample::rssMiB, 1},
        {"CPU time over 10 s idle (ms)", &Sample::cpuMs, 0},
        {"thread wake-ups per second, idle", &Sample::wakeupsPerSecond, 0},
    };
    std::printf("%d runs each, min / median / max\n\n", runs);
    std::printf("| | %s | %s | ratio of medians |\n|---|---|---|---|\n",
                std::filesystem::path(programs[0]).filename().c_str(),
                std::filesystem::path(programs[1]).filename().c_str());
    for (const auto& metric : metrics)
    {
        Spread spread[2];
        for (int p = 0; p < 2; ++p)
        {
            std::vector<double> values;
            for (const auto& s : samples[p])
                values.push_back(s.*metric.field);
            spread[p] = spreadOf(values);
        }
        char ratio[32] = "-";
        if (spread[0].median > 0)
            std::snprintf(ratio, sizeof ratio, "%.2f", spread[1].median / spread[0].median);
        std::printf("| %s | %s | %s | %s |\n", metric.name,
                    cell(spread[0], metric.decimals).c_str(),
                    cell(spread[1], metric.decimals).c_str(), ratio);
    }
    XCloseDisplay(display);
    return 0;
}
