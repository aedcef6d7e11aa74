// The real program's life on the desktop: size rules a window manager obeys or
// a resize from outside is brought back by, stacking, the close button, the
// restored position, and the picture left after a menu.
#include "PanelSession.h"

#include "support/GoldenReports.h"
#include "support/MessageLoop.h"
#include "support/PrivateWindowManager.h"
#include "widgets/PopupMenuLookAndFeel.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <sstream>

// Last: its macros clash with names in the test framework.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{
const std::string title = "K71VT v" K71_VERSION;
using e2e::setting;

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPointer = std::unique_ptr<Display, DisplayCloser>;

DisplayPointer openDisplay()
{
    return DisplayPointer(XOpenDisplay(nullptr));
}

XSizeHints normalHints(unsigned long window)
{
    auto display = openDisplay();
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(display.get(), window, &hints, &supplied);
    return hints;
}

// The window's pixels as the X server holds them.
std::vector<unsigned long> picture(unsigned long window)
{
    auto display = openDisplay();
    const auto size = e2e::geometry(window);
    std::vector<unsigned long> pixels;
    if (XImage* image = XGetImage(display.get(), window, 0, 0, (unsigned)size.width,
                                  (unsigned)size.height, AllPlanes, ZPixmap))
    {
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x)
                pixels.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
    }
    return pixels;
}

// The window ids of an X property printed by xprop, in order.
std::vector<unsigned long> windowList(const std::string& xpropArguments)
{
    const auto text = e2e::run("xprop " + xpropArguments);
    std::vector<unsigned long> ids;
    for (auto at = text.find("0x"); at != std::string::npos; at = text.find("0x", at + 2))
        ids.push_back(std::stoul(text.substr(at), nullptr, 16));
    return ids;
}

// Whether the program's content (the panel) is in the top-level window the
// window manager stacks: the manager's client list names the content window.
std::size_t stackingPlace(unsigned long window)
{
    const auto stack = windowList("-root _NET_CLIENT_LIST_STACKING");
    for (std::size_t i = 0; i < stack.size(); ++i)
        if (stack[i] == window)
            return i;
    return stack.size();
}

// The changes of the root window's children, heard from before the program starts on a
// connection of the test's own, so that none of them can pass unseen.
class RootWatch
{
  public:
    RootWatch() : display(openDisplay())
    {
        XSelectInput(display.get(), DefaultRootWindow(display.get()), SubstructureNotifyMask);
        XSync(display.get(), False);
    }

    struct Count
    {
        int maps = 0, unmaps = 0;
    };

    // Maps and unmaps of the top-level windows made since the watch began. A window manager
    // takes a program's map as a request to it, puts the window into a frame of its own,
    // made then on the root, and maps the frame: a program's window then counts by its frame.
    // Nothing else makes top-level windows meanwhile: the test makes none, and the window
    // manager makes and maps a frame only for a window to manage.
    Count topLevelChanges()
    {
        XSync(display.get(), False);
        while (XPending(display.get()) > 0)
        {
            XEvent event;
            XNextEvent(display.get(), &event);
            if (event.type == CreateNotify)
                made.insert(event.xcreatewindow.window);
            else if (event.type == MapNotify && made.count(event.xmap.window) != 0)
                ++count.maps;
            else if (event.type == UnmapNotify && made.count(event.xunmap.window) != 0)
                ++count.unmaps;
        }
        return count;
    }

  private:
    DisplayPointer display;
    std::set<::Window> made;
    Count count;
};

int menuTitleCentre(int index)
{
    PopupMenuLookandFeel look;
    juce::MenuBarComponent bar;
    bar.setSize(320, look.getDefaultMenuBarHeight());
    const int fileWidth = look.getMenuBarItemWidth(bar, 0, "File");
    return index == 0 ? fileWidth / 2 : fileWidth + look.getMenuBarItemWidth(bar, 1, "Config") / 2;
}

class DesktopEndToEnd : public testing::Test
{
  protected:
    void SetUp() override
    {
        e2e::prepareDisplay();
        e2e::settingsFile().deleteFile();
    }

    // Starts the program and waits for its window and the attach.
    unsigned long start()
    {
        program = std::make_unique<e2e::ProgramProcess>();
        EXPECT_TRUE(k71test::pumpUntil([] { return e2e::reports().size() >= 8; }, 60000));
        return findPanel();
    }

    static unsigned long findPanel()
    {
        unsigned long window = 0;
        k71test::pumpUntil([&] { return (window = e2e::findWindow(title)) != 0; }, 30000);
        return window;
    }

    // Opens a menu of the panel's bar and clicks its first item; the popup's
    // place in the window, where the pointer then rests.
    static e2e::WindowGeometry chooseFirstItem(unsigned long window, int menuIndex)
    {
        // A window just put into its frame may miss the first click; click until it opens.
        unsigned long popup = 0;
        for (int attempt = 0; attempt < 10 && popup == 0; ++attempt)
        {
            e2e::click(window, menuTitleCentre(menuIndex), 10);
            k71test::pumpUntil([&] { return (popup = e2e::findWindow("menu")) != 0; }, 1500);
        }
        EXPECT_NE(popup, 0u);
        const auto menu = e2e::geometry(popup);
        // A menu takes no click in its first moments; click until it has taken one.
        for (int attempt = 0; attempt < 20 && e2e::findWindow("menu") != 0; ++attempt)
        {
            e2e::click(popup, menu.width / 2, 9);
            k71test::pumpUntil([] { return e2e::findWindow("menu") == 0; }, 250);
        }
        EXPECT_EQ(e2e::findWindow("menu"), 0u);
        const auto panel = e2e::geometry(window);
        return {menu.x - panel.x, menu.y - panel.y, menu.width, menu.height};
    }

    void quitByCloseButton(unsigned long window)
    {
        // The window manager closes only a window it has taken on.
        EXPECT_TRUE(k71test::pumpUntil(
            [&] {
                return stackingPlace(window) < windowList("-root _NET_CLIENT_LIST_STACKING").size();
            },
            15000));
        e2e::run("wmctrl -i -c " + std::to_string(window));
        EXPECT_EQ(program->waitForExit(30000), 0);
    }

    std::unique_ptr<e2e::ProgramProcess> program;
};

class UnderAWindowManager : public DesktopEndToEnd
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(windowManager.start()) << "openbox did not start";
        DesktopEndToEnd::SetUp();
    }

    k71test::PrivateWindowManager windowManager;
};

bool onTheRules(const e2e::WindowGeometry& size)
{
    return size.width >= 219 && size.width <= 640 && size.height >= 198 && size.height <= 580 &&
           std::abs(size.width * 290 - size.height * 320) <= 320;
}

std::string describe(const e2e::WindowGeometry& g)
{
    std::ostringstream out;
    out << g.x << "," << g.y << " " << g.width << "x" << g.height;
    return out.str();
}

TEST_F(UnderAWindowManager, NormalHintsCarryTheLimitsAndTheRatioAndStayCurrent)
{
    const auto window = start();
    ASSERT_NE(window, 0u);
    const auto id = std::to_string(window);
    // The framework writes hints of its own when it moves the window and when it
    // paints again after it dropped its picture (three idle seconds).
    struct Moment
    {
        const char* name;
        std::function<void()> bring;
    };
    for (const auto& moment :
         {Moment{"at start", [] {}},
          Moment{"after a move", [&] { e2e::run("xdotool windowmove " + id + " 200 200"); }},
          Moment{"after a paint when idle", [&]
                 {
                     k71test::pumpFor(3500);
                     e2e::click(window, 128, 59); // the monitoring switch repaints
                 }}})
    {
        moment.bring();
        k71test::pumpFor(500);
        const auto hints = normalHints(window);
        const long wanted = PMinSize | PMaxSize | PAspect;
        EXPECT_EQ(hints.flags & wanted, wanted) << moment.name;
        EXPECT_EQ(hints.min_width, 219) << moment.name;
        EXPECT_EQ(hints.min_height, 198) << moment.name;
        EXPECT_EQ(hints.max_width, 640) << moment.name;
        EXPECT_EQ(hints.max_height, 580) << moment.name;
        EXPECT_GT(hints.min_aspect.y, 0) << moment.name;
        EXPECT_EQ(hints.min_aspect.x * 29, hints.min_aspect.y * 32) << moment.name;
        EXPECT_EQ(hints.max_aspect.x * 29, hints.max_aspect.y * 32) << moment.name;
    }
}

TEST_F(UnderAWindowManager, ResizesFromOutsideEndOnTheRulesAndStayThere)
{
    const auto window = start();
    ASSERT_NE(window, 0u);
    // Each size ends away from the one before, so each row waits for its own resize.
    for (const auto* size : {"700 300", "100 100", "1000 1000", "400 300"})
    {
        const auto before = describe(e2e::geometry(window));
        e2e::run("xdotool windowsize " + std::to_string(window) + " " + size);
        EXPECT_TRUE(k71test::pumpUntil(
            [&]
            {
                const auto now = e2e::geometry(window);
                return describe(now) != before && onTheRules(now);
            },
            15000))
            << size << ": " << describe(e2e::geometry(window));
        const auto settled = e2e::geometry(window);
        k71test::pumpFor(300);
        EXPECT_EQ(describe(e2e::geometry(window)), describe(settled)) << size;
    }
}

TEST_F(UnderAWindowManager, AlwaysOnTopKeepsThePanelAboveANewWindow)
{
    auto window = start();
    ASSERT_NE(window, 0u);
    chooseFirstItem(window, 0); // File > Always on top
    // The framework makes the native window anew for the new stacking state.
    ASSERT_TRUE(k71test::pumpUntil(
        [&]
        {
            window = e2e::findWindow(title);
            return window != 0 && e2e::run("xprop -id " + std::to_string(window) + " _NET_WM_STATE")
                                          .find("_NET_WM_STATE_ABOVE") != std::string::npos;
        },
        15000));

    auto display = openDisplay();
    const auto other = XCreateSimpleWindow(display.get(), DefaultRootWindow(display.get()), 500,
                                           400, 600, 500, 0, 0, 0);
    XMapWindow(display.get(), other);
    XSync(display.get(), False);
    const auto managed = [](unsigned long id)
    { return stackingPlace(id) < windowList("-root _NET_CLIENT_LIST_STACKING").size(); };
    ASSERT_TRUE(k71test::pumpUntil([&] { return managed(other); }, 15000));
    EXPECT_TRUE(k71test::pumpUntil(
        [&] { return managed(window) && stackingPlace(window) > stackingPlace(other); }, 15000))
        << e2e::run("xprop -root _NET_CLIENT_LIST_STACKING");
}

TEST_F(UnderAWindowManager, CloseButtonQuitsWithTheStateSavedAndTheRestartLandsWhereStored)
{
    auto window = start();
    ASSERT_NE(window, 0u);
    // The default size holds for the content; the frame lies around it.
    EXPECT_EQ(e2e::geometry(window).width, 320);
    EXPECT_EQ(e2e::geometry(window).height, 290);
    e2e::click(window, 128, 59); // the monitoring switch
    ASSERT_TRUE(k71test::pumpUntil(
        []
        {
            const auto on = k71test::golden::hexText(k71test::golden::monitoringOn);
            for (const auto& line : e2e::reports())
                if (line.find(on) != std::string::npos)
                    return true;
            return false;
        },
        15000));
    quitByCloseButton(window);
    EXPECT_EQ(setting("MON"), "true");
    const auto stored = setting("WindowPosition");

    // Twice: a position that crept by the frame would show on the second start.
    for (int restart = 0; restart < 2; ++restart)
    {
        window = start();
        ASSERT_NE(window, 0u);
        const auto frame = e2e::geometry(window);
        std::ostringstream position;
        position << frame.x << " " << frame.y << " " << frame.width << " " << frame.height;
        EXPECT_EQ(stored.rfind(position.str(), 0), 0u) << stored << " / " << position.str();
        quitByCloseButton(window);
        EXPECT_EQ(setting("WindowPosition"), stored);
    }
}

// Whether the window shows its first picture: pixels of more than one colour.
bool drawn(unsigned long window)
{
    const auto pixels = picture(window);
    return std::set<unsigned long>(pixels.begin(), pixels.end()).size() > 1;
}

TEST_F(DesktopEndToEnd, TheWindowIsMappedOnceFromExecToItsFirstPicture)
{
    for (const bool managed : {false, true})
    {
        SCOPED_TRACE(managed ? "under a window manager" : "without a window manager");
        k71test::PrivateWindowManager windowManager;
        if (managed)
        {
            ASSERT_TRUE(windowManager.start()) << "openbox did not start";
        }
        RootWatch watch;
        program = std::make_unique<e2e::ProgramProcess>();
        unsigned long window = 0;
        ASSERT_TRUE(k71test::pumpUntil([&] { return (window = findPanel()) != 0 && drawn(window); },
                                       30000));
        const auto changes = watch.topLevelChanges();
        EXPECT_EQ(changes.maps, 1);
        EXPECT_EQ(changes.unmaps, 0);
        program.reset();
    }
}

// The window as the user sees it: the window manager's frame around it, if it has one.
juce::Rectangle<int> withFrame(unsigned long window)
{
    auto display = openDisplay();
    ::Window outer = window, root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    while (XQueryTree(display.get(), outer, &root, &parent, &children, &count) && parent != root)
    {
        if (children != nullptr)
            XFree(children);
        children = nullptr;
        outer = parent;
    }
    if (children != nullptr)
        XFree(children);
    int x, y;
    unsigned width, height, border, depth;
    if (!XGetGeometry(display.get(), outer, &root, &x, &y, &width, &height, &border, &depth))
        return {};
    return {x, y, (int)(width + 2 * border), (int)(height + 2 * border)};
}

TEST_F(DesktopEndToEnd, AWindowStoredOffEveryScreenComesBackWhollyOnItAndOneOnItStays)
{
    const juce::Rectangle<int> screen{0, 0, 1600, 1200}; // the test's X server
    struct Row
    {
        const char* stored;
        bool onScreen;
    };
    const Row rows[] = {{"3000 2500 320 290", false},
                        {"-900 -700 320 290", false},
                        {"1450 -100 320 290", false},
                        {"200 1000 320 290 frame 21 1 1 1", false},
                        {"-1000 400 320 290 frame 0 0 0 0", false},
                        {"300 200 320 290", true}};
    for (const bool managed : {false, true})
    {
        k71test::PrivateWindowManager windowManager;
        if (managed)
        {
            ASSERT_TRUE(windowManager.start()) << "openbox did not start";
        }
        for (const auto& row : rows)
        {
            SCOPED_TRACE(std::string(managed ? "under a window manager, " : "alone, ") +
                         row.stored);
            ASSERT_TRUE(e2e::settingsFile().getParentDirectory().createDirectory());
            ASSERT_TRUE(e2e::settingsFile().replaceWithText(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                "  <VALUE name=\"WindowPosition\" val=\"" +
                juce::String(row.stored) + "\"/>\n</PROPERTIES>\n"));
            program = std::make_unique<e2e::ProgramProcess>();
            const auto window = findPanel();
            ASSERT_NE(window, 0u);
            // Kept: the window's own top-left where it was stored, the frame's without a
            // frame stored (the window manager then puts the frame there).
            juce::StringArray stored;
            stored.addTokens(row.stored, false);
            const juce::Point<int> storedCorner{stored[0].getIntValue(), stored[1].getIntValue()};
            const auto placed = [&]
            {
                const auto content = e2e::geometry(window);
                const auto outer = withFrame(window);
                return content.width == 320 && content.height == 290 &&
                       (row.onScreen ? outer.getPosition() == storedCorner
                                     : screen.contains(outer));
            };
            EXPECT_TRUE(k71test::pumpUntil(placed, 15000))
                << withFrame(window).toString() << " holding " << describe(e2e::geometry(window));

            // A quit by signal stores the window state as the close button does.
            program->sendSignal(SIGTERM);
            EXPECT_EQ(program->waitForExit(30000), 0);
            // What quitting stored is the window on the screen.
            juce::StringArray saved;
            saved.addTokens(setting("WindowPosition"), false);
            const juce::Rectangle<int> savedBounds{saved[0].getIntValue(), saved[1].getIntValue(),
                                                   saved[2].getIntValue(), saved[3].getIntValue()};
            EXPECT_TRUE(screen.contains(savedBounds)) << setting("WindowPosition");
            // The window manager's frame is known to the framework again, as after any start.
            EXPECT_EQ(saved[4] == "frame", managed) << setting("WindowPosition");
        }
    }
}

TEST_F(DesktopEndToEnd, AResizeFromOutsideIsBroughtBackByTheConstrainersRule)
{
    const auto window = start();
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(k71test::pumpUntil(
        [&] { return describe(e2e::geometry(window)) == "640,455 320x290"; }, 15000));
    // Each result differs from the one before, and each resize keeps the top-left corner, so it
    // stretches the right and bottom edges, and comes back centred on the rectangle before it.
    struct Case
    {
        const char* size;
        const char* result;
    };
    for (const auto& row : {Case{"700 300", "480,310 640x580"}, Case{"100 100", "691,501 219x198"},
                            Case{"1000 1000", "480,310 640x580"}})
    {
        e2e::run("xdotool windowsize " + std::to_string(window) + " " + row.size);
        EXPECT_TRUE(k71test::pumpUntil(
            [&] { return describe(e2e::geometry(window)) == row.result; }, 15000))
            << row.size << ": " << describe(e2e::geometry(window));
    }
}

TEST_F(DesktopEndToEnd, AChosenMenuItemLeavesNoPictureOfTheMenu)
{
    const auto window = start();
    ASSERT_NE(window, 0u);
    // Factory Defaults once, so that choosing it again changes nothing.
    const auto menu = chooseFirstItem(window, 1);
    const int restX = menu.x + menu.width / 2, restY = menu.y + 9;
    ASSERT_TRUE(k71test::pumpUntil([] { return e2e::writes().size() > 10; }, 15000));
    e2e::run("xdotool mousemove --window " + std::to_string(window) + " 300 280");
    k71test::pumpFor(500);
    e2e::run("xdotool mousemove --window " + std::to_string(window) + " " + std::to_string(restX) +
             " " + std::to_string(restY));
    k71test::pumpFor(1000);
    const auto before = picture(window);

    chooseFirstItem(window, 1);
    // The pointer stays where the item was.
    EXPECT_TRUE(k71test::pumpUntil([&] { return picture(window) == before; }, 15000));
}
} // namespace
