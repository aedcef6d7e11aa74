#include "panel/Main.h"

#include "panel/MainComponent.h"
#include "panel/ResetCommandLine.h"
#include "platform/Simulation.h"

namespace
{
const juce::String windowPositionKey = "WindowPosition";
constexpr int defaultWidth = 320;
constexpr int defaultHeight = 290;

MainComponent* panelOf(juce::DocumentWindow* window)
{
    return window != nullptr ? dynamic_cast<MainComponent*>(window->getContentComponent())
                             : nullptr;
}

void storeWindowPosition(MainComponent& panel, const juce::String& state)
{
    if (auto* settings = panel.appProperties.getUserSettings())
        settings->setValue(windowPositionKey, state);
}
} // namespace

//==============================================================================
VarneloApplication::MainWindow::MainWindow(const juce::String& name)
    : juce::DocumentWindow(name, juce::Colours::lightgrey, juce::DocumentWindow::allButtons, true)
{
}

VarneloApplication::MainWindow::~MainWindow()
{
    // The repainter listens to the panel, which the base teardown deletes.
    menuCloseRepainter.reset();
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
    return false;
}

void VarneloApplication::initialise(const juce::String& commandLine)
{
    // There is no K71 VT on this desktop: the program drives the virtual one, plugged
    // in from the start, and k71vt-sim reaches it through this channel.
    sim::plugInterface();
    simulatorChannel =
        std::make_unique<platform::SimulatorChannel>(getApplicationName().toStdString());

    const bool reset = isResetCommandLine(commandLine);

    auto window =
        std::make_unique<MainWindow>(getApplicationName() + " v" + getApplicationVersion());
    window->setUsingNativeTitleBar(true);
    auto* panel = new MainComponent();
    window->setContentOwned(panel, true);
    window->menuCloseRepainter = std::make_unique<MenuCloseRepainter>(*panel, *window);

    window->boundsConstrainer = std::make_unique<BorderBoundsConstrainer>();
    auto& constrainer = *window->boundsConstrainer;
    window->setConstrainer(&constrainer);
    constrainer.extraTop = 0;
    // On X the window's rectangle is its content's own: the window manager's
    // frame, which the peer reports once it knows it, lies outside it.
    constrainer.frameBorder = {};
    constrainer.setFixedAspectRatio((double)defaultWidth / (double)defaultHeight);
    constrainer.setSizeLimits(219, 198, 640, 580);
    window->windowManagerAdapter = std::make_unique<WindowManagerAdapter>(*window, constrainer);

    if (reset)
        storeWindowPosition(*panel, {});
    juce::String storedPosition;
    if (auto* settings = panel->appProperties.getUserSettings())
        storedPosition = settings->getValue(windowPositionKey, {});

    window->setResizable(true, true);
    if (!window->restoreWindowStateFromString(storedPosition) || reset)
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

    handOverListener = std::make_unique<platform::InstanceHandOverListener>(
        getApplicationName(),
        [this](const juce::String& laterCommandLine) { anotherInstanceStarted(laterCommandLine); });
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
    {
        // A later launch: the framework's lock stopped it before initialise, and its
        // command line goes to the instance that runs.
        if (isInitialising())
            platform::handOverToRunningInstance(getApplicationName(), getCommandLineParameters());
        return;
    }

    handOverListener.reset();
    simulatorChannel.reset();

    const auto state = mainWindow->getWindowStateAsString();
    if (auto* panel = panelOf(mainWindow.get()))
        storeWindowPosition(*panel, state);

    // No audio notification may reach the panel while it is taken down.
    sim::shutdownSimulation();
    mainWindow.reset();
}

START_JUCE_APPLICATION(VarneloApplication)
