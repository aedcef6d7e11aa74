#include "panel/Main.h"

#include "panel/MainComponent.h"
#include "panel/ResetCommandLine.h"
#include "panel/SettingsKeys.h"
#include "panel/X11Display.h"
#include "platform/Backend.h"
#include "widgets/PanelTypeface.h"

#include <cstdio>

namespace
{
constexpr int defaultWidth = 320;
constexpr int defaultHeight = 290;
// How long a later launch keeps trying to reach the running instance.
constexpr juce::uint32 handOverTimeLimitMs = 3000;

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

// The framework's restore, made to hold when the window manager's frame becomes known in the
// middle of it: the first move then measures the new border and takes it off the size once
// more, and the window comes back smaller by the frame than it was stored.
bool restoreWindowState(juce::DocumentWindow& window, const juce::String& stored)
{
    auto* peer = window.getPeer();
    const bool frameKnownBefore =
        peer != nullptr && static_cast<bool>(peer->getFrameSizeIfPresent());
    if (!window.restoreWindowStateFromString(stored))
        return false;
    peer = window.getPeer();
    if (frameKnownBefore || peer == nullptr || !peer->getFrameSizeIfPresent())
        return true;

    juce::StringArray tokens;
    tokens.addTokens(stored, false);
    tokens.removeEmptyStrings();
    if (tokens[0].startsWithIgnoreCase("fs") || tokens.size() != 9 || tokens[4] != "frame")
        return true;
    // With the frame known, the framework takes the stored rectangle as the content's own.
    const juce::Rectangle<int> wanted{tokens[0].getIntValue(), tokens[1].getIntValue(),
                                      tokens[2].getIntValue(), tokens[3].getIntValue()};
    if (window.getBounds() != wanted && !wanted.isEmpty())
    {
        window.setBounds(wanted);
        peer->setNonFullScreenBounds(wanted);
    }
    return true;
}
} // namespace

//==============================================================================
VarneloApplication::MainWindow::MainWindow(const juce::String& name)
    : juce::DocumentWindow(name, juce::Colours::lightgrey, juce::DocumentWindow::allButtons, true)
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
    return "2.0.0.0";
}

bool VarneloApplication::moreThanOneInstanceAllowed()
{
    // The framework's own lock is one file for every user of the machine; the rule is
    // kept per user by initialiseApp instead.
    return true;
}

bool VarneloApplication::initialiseApp()
{
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
    instanceLock = std::make_unique<ipc::InstanceLock>(name.toStdString());
    const auto deadline = juce::Time::getMillisecondCounter() + handOverTimeLimitMs;
    // A running instance that is just quitting lets the lock go: then this one runs.
    while (instanceLock->tryToTake() == ipc::InstanceLock::State::heldElsewhere)
    {
        std::string why;
        if (ipc::handOverToRunningInstance(name, getCommandLineParameters(), 1000, &why))
            return false;
        if ((juce::int32)(deadline - juce::Time::getMillisecondCounter()) <= 0)
        {
            std::fprintf(stderr, "%s: the running %s did not take this launch (%s)\n",
                         name.toRawUTF8(), name.toRawUTF8(), why.c_str());
            setApplicationReturnValue(1);
            return false;
        }
    }
    if (instanceLock->state() == ipc::InstanceLock::State::unavailable)
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
    quitSignals = std::make_unique<QuitSignals>(
        []
        {
            if (auto* application = juce::JUCEApplication::getInstance())
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
    juce::MessageManager::getInstance()->stopDispatchLoop();
}

void VarneloApplication::shutdown()
{
    if (mainWindow == nullptr)
        return; // a later launch, or a start that did not get this far

    // The settings first, into the file: nothing after this may keep them from it.
    const auto state = mainWindow->getWindowStateAsString();
    if (auto* panel = panelOf(mainWindow.get()))
    {
        storeWindowPosition(*panel, state);
        if (auto* settings = panel->appProperties.getUserSettings())
            settings->saveIfNeeded();
    }

    // No device event may reach the panel while it is taken down.
    platform::stopBackend();
    mainWindow.reset();
    handOverListener.reset();
    queueWake.reset();
}

START_JUCE_APPLICATION(VarneloApplication)
