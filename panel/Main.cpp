#include "panel/Main.h"

#include "panel/MainComponent.h"
#include "panel/ResetCommandLine.h"
#include "panel/SettingsKeys.h"
#include "panel/WellFormedArguments.h"
#include "panel/WindowPlacement.h"
#include "panel/X11Display.h"
#include "platform/Backend.h"
#include "widgets/PanelTypeface.h"

#include <cstdio>
#include <optional>

namespace
{
constexpr int defaultWidth = 320;
constexpr int defaultHeight = 290;
// How long a later launch keeps trying to reach the running instance.
constexpr juce::uint32 handOverTimeLimitMs = 3000;
constexpr int handOverRetryPauseMs = 50;

MainComponent* panelOf(juce::DocumentWindow* window)
{
    return window != nullptr ? dynamic_cast<MainComponent*>(window->getContentComponent())
                             : nullptr;
}

void storeWindowPosition(MainComponent& panel, const juce::String& state)
{
    if (auto* settings = panel.appProperties.getUserSettings())
        settings->setValue(settingskeys::windowPosition, state);
}

// The stored rectangle and the frame stored with it (none when the state has none).
struct StoredPlace
{
    juce::Rectangle<int> bounds;
    std::optional<juce::BorderSize<int>> frame;
};

std::optional<StoredPlace> storedPlaceOf(const juce::String& stored)
{
    juce::StringArray tokens;
    tokens.addTokens(stored, false);
    tokens.removeEmptyStrings();
    if (tokens[0].startsWithIgnoreCase("fs") || tokens.size() < 4)
        return std::nullopt;
    StoredPlace place{{tokens[0].getIntValue(), tokens[1].getIntValue(), tokens[2].getIntValue(),
                       tokens[3].getIntValue()},
                      std::nullopt};
    if (tokens.size() == 9 && tokens[4] == "frame")
        place.frame = juce::BorderSize<int>{tokens[5].getIntValue(), tokens[6].getIntValue(),
                                            tokens[7].getIntValue(), tokens[8].getIntValue()};
    return place;
}

// The framework's restore, and a window stored on a monitor that is gone brought back on a
// screen: the framework pulls back only a window with less than 32 x 32 pixels on the
// displays, and sizes it to the display, frame left out. The rule: the stored window, with
// the frame stored with it, lies on the displays when each of its pixels is on a display's
// whole area; it is then kept as the framework restores it. Otherwise it comes back wholly
// on the nearest display's user area, frame included, at its stored size within the limits.
// The window is not mapped yet, so the window manager will put the frame's top-left corner
// where the window's is asked to be.
bool restoreWindowState(VarneloApplication::MainWindow& window, const juce::String& stored)
{
    if (!window.restoreWindowStateFromString(stored))
        return false;
    const auto place = storedPlaceOf(stored);
    const auto displays = currentDisplayAreas();
    if (!place ||
        liesOnDisplays(place->frame.value_or(juce::BorderSize<int>{}).addedTo(place->bounds),
                       displays))
        return true;

    auto bounds = place->bounds;
    if (auto* constrainer = window.getConstrainer())
        constrainer->checkBounds(bounds, bounds, bounds, false, false, false, false);
    // The frame the window manager says it will put around it now, else the stored one.
    auto frame = window.windowManagerAdapter != nullptr ? window.windowManagerAdapter->frameToCome()
                                                        : std::nullopt;
    if (!frame)
        frame = place->frame;
    const auto framed =
        placedOnNearestDisplay(frame.value_or(juce::BorderSize<int>{}).addedTo(bounds), displays);
    const auto wanted = bounds.withPosition(framed.getPosition());
    window.setBounds(wanted);
    if (auto* peer = window.getPeer())
        peer->setNonFullScreenBounds(wanted);
    return true;
}
} // namespace

//==============================================================================
// Off the desktop until initialise has given it its styles: see there.
VarneloApplication::MainWindow::MainWindow(const juce::String& name)
    : juce::DocumentWindow(name, juce::Colours::lightgrey, juce::DocumentWindow::allButtons, false)
{
}

VarneloApplication::MainWindow::~MainWindow()
{
    // The window, its peer and the adapter keep a plain pointer to the constrainer.
    windowManagerAdapter.reset();
    setConstrainer(nullptr);
    boundsConstrainer.reset();
}

void VarneloApplication::MainWindow::closeButtonPressed()
{
    if (auto* panel = panelOf(this))
        storeWindowPosition(*panel, getWindowStateAsString());
    if (auto* application = juce::JUCEApplication::getInstance())
        application->systemRequestedQuit();
}

//==============================================================================
VarneloApplication::~VarneloApplication()
{
    mainWindow.reset();
    handOverListener.reset();
    quitSignals.reset();
    queueWake.reset();
}

const juce::String VarneloApplication::getApplicationName()
{
    return "K71VT";
}

const juce::String VarneloApplication::getApplicationVersion()
{
    return K71_VERSION;
}

bool VarneloApplication::moreThanOneInstanceAllowed()
{
    // The framework's own lock is one file for every user of the machine; the rule is
    // kept per user by initialiseApp instead.
    return true;
}

bool VarneloApplication::initialiseApp()
{
    makeArgumentsWellFormed();
    const auto name = getApplicationName();
    // Without a display the framework would go on with no windows to give: said before
    // anything of this run exists.
    if (frameworkDisplay() == nullptr)
    {
        std::fprintf(stderr, "%s: cannot open the X display \"%s\"\n", name.toRawUTF8(),
                     displayFrameworkTries().c_str());
        setApplicationReturnValue(1);
        return false;
    }
    using Lock = ipc::InstanceLock::State;
    instanceLock = std::make_unique<ipc::InstanceLock>(name.toStdString());
    if (instanceLock->state() == Lock::blocked)
        std::fprintf(stderr, "%s: the single-instance lock cannot be taken: %s\n", name.toRawUTF8(),
                     instanceLock->problem().c_str());

    const auto deadline = juce::Time::getMillisecondCounter() + handOverTimeLimitMs;
    // Without the lock this launch is a later one all the same: it never runs a second
    // panel. A running instance that is just quitting lets the lock go: then this one runs.
    for (auto lock = instanceLock->state(); lock == Lock::heldElsewhere || lock == Lock::blocked;
         lock = instanceLock->tryToTake())
    {
        const auto left = (juce::int32)(deadline - juce::Time::getMillisecondCounter());
        std::string why;
        const auto handOver = ipc::handOverToRunningInstance(
            name, getCommandLineParameters(), juce::jlimit(1, 1000, (int)left), &why);
        if (handOver == ipc::HandOver::taken)
            return false;

        const bool nobodyToHandTo =
            lock == Lock::blocked && handOver == ipc::HandOver::nobodyListens;
        if (handOver == ipc::HandOver::refused || nobodyToHandTo ||
            (juce::int32)(deadline - juce::Time::getMillisecondCounter()) <= 0)
        {
            if (nobodyToHandTo)
                std::fprintf(stderr,
                             "%s: no running %s took this launch, and without the lock "
                             "no other one starts\n",
                             name.toRawUTF8(), name.toRawUTF8());
            else
                std::fprintf(stderr, "%s: the running %s did not take this launch (%s)\n",
                             name.toRawUTF8(), name.toRawUTF8(), why.c_str());
            setApplicationReturnValue(1);
            return false;
        }
        // Still starting, busy or quitting: a moment for it, not a tight loop.
        juce::Thread::sleep(handOverRetryPauseMs);
    }
    if (instanceLock->state() == Lock::unavailable)
        std::fprintf(stderr, "%s: no single-instance lock (%s); running without it\n",
                     name.toRawUTF8(), instanceLock->problem().c_str());
    // What the application class adds to the base's start-up is for macOS only.
    return juce::JUCEApplicationBase::initialiseApp();
}

void VarneloApplication::initialise(const juce::String& commandLine)
{
    // Before any text, or JUCE opens every font file on the machine; and
    // before any thread starts, as it sets the environment for a moment.
    findPanelTypeface();
    queueWake = std::make_unique<X11QueueWake>();

    // Quit requests by signal take the road of the Close command.
    quitSignals = std::make_unique<QuitSignals>(getApplicationName().toStdString(),
                                                []
                                                {
                                                    if (auto* application =
                                                            juce::JUCEApplication::getInstance())
                                                        application->systemRequestedQuit();
                                                });
    // Early, so that a later launch finds it: what it sends waits in the message queue
    // until the window exists.
    handOverListener = std::make_unique<ipc::InstanceHandOverListener>(
        getApplicationName(),
        [this](const juce::String& laterCommandLine) { anotherInstanceStarted(laterCommandLine); });

    platform::startBackend(getApplicationName().toStdString());

    const bool reset = isResetCommandLine(commandLine);

    auto window =
        std::make_unique<MainWindow>(getApplicationName() + " v" + getApplicationVersion());
    window->setUsingNativeTitleBar(true);
    auto* panel = new MainComponent();
    window->setContentOwned(panel, true);

    window->boundsConstrainer = std::make_unique<BorderBoundsConstrainer>();
    installMainWindowConstrainer(*window, *window->boundsConstrainer);
    window->windowManagerAdapter =
        std::make_unique<WindowManagerAdapter>(*window, *window->boundsConstrainer);

    if (reset)
        storeWindowPosition(*panel, {});
    juce::String storedPosition;
    if (auto* settings = panel->appProperties.getUserSettings())
        storedPosition = settings->getValue(settingskeys::windowPosition, {});

    window->setResizable(true, true);
    // The native window is made here, once, with its final styles. JUCE 7.0.5 on X makes a
    // new one for each style change of a window on the desktop and maps it (its toFront),
    // shown or not: built on the desktop, the window was mapped early, then unmapped,
    // destroyed and mapped again.
    window->addToDesktop();
    if (!restoreWindowState(*window, storedPosition) || reset)
    {
        window->setSize(defaultWidth, defaultHeight);
        window->centreWithSize(window->getWidth(), window->getHeight());
    }
    window->setVisible(true);
    mainWindow = std::move(window);

    if (reset)
    {
        panel->setFactoryDefaults();
        storeWindowPosition(*panel, {});
    }
}

void VarneloApplication::anotherInstanceStarted(const juce::String& commandLine)
{
    auto* panel = panelOf(mainWindow.get());
    if (panel == nullptr)
        return;

    if (isResetCommandLine(commandLine))
    {
        panel->setFactoryDefaults();
        storeWindowPosition(*panel, {});
        panel->centreWithSize(panel->getWidth(), panel->getHeight());
    }

    panel->setVisible(true);
    mainWindow->setVisible(true);
    if (!juce::SystemStats::isRunningInAppExtensionSandbox())
        mainWindow->toFront(true);
}

void VarneloApplication::systemRequestedQuit()
{
    // Before the loop stops: a launch that was told "ok" is acted on by this loop, and a
    // later one finds nobody and starts once this instance has ended.
    if (handOverListener != nullptr)
        handOverListener->stopTakingLaunches();
    juce::MessageManager::getInstance()->stopDispatchLoop();
}

void VarneloApplication::shutdown()
{
    if (mainWindow == nullptr)
        return; // a later launch, or a start that did not get this far

    // A quit by the framework's own SIGINT handler stops the loop without the call above.
    if (handOverListener != nullptr)
        handOverListener->stopTakingLaunches();

    // The settings first, into the file: nothing after this may keep them from it.
    const auto state = mainWindow->getWindowStateAsString();
    if (auto* panel = panelOf(mainWindow.get()))
    {
        storeWindowPosition(*panel, state);
        panel->settingsSaver.saveNow();
    }

    // No device event may reach the panel while it is taken down.
    platform::stopBackend();
    mainWindow.reset();
    handOverListener.reset();
    queueWake.reset();
}

START_JUCE_APPLICATION(VarneloApplication)
