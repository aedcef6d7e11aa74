#pragma once

#include "ipc/InstanceHandOver.h"
#include "ipc/InstanceLock.h"
#include "panel/QuitSignals.h"
#include "panel/TavrinBorderBoundsConstrainer.h"
#include "panel/WindowManagerAdapter.h"
#include "panel/X11QueueWake.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The application object: one running instance, its main window with the
// panel as content, the reset command line, and the command line of later
// launches.
class VarneloApplication : public juce::JUCEApplication
{
  public:
    VarneloApplication() = default;
    ~VarneloApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    bool initialiseApp() override;
    void initialise(const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted(const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    // The one top-level window; its size rules apply to the panel inside the frame.
    class MainWindow : public juce::DocumentWindow
    {
      public:
        explicit MainWindow(const juce::String& name);
        ~MainWindow() override;

        void closeButtonPressed() override;

        std::unique_ptr<BorderBoundsConstrainer> boundsConstrainer;
        std::unique_ptr<WindowManagerAdapter> windowManagerAdapter;

      private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainWindow)
    };

  private:
    std::unique_ptr<MainWindow> mainWindow;
    // Events the framework's own round trips queue are read at once, not at the next input.
    std::unique_ptr<X11QueueWake> queueWake;

    // One running instance per user, quit requests by signal, and the endpoint that
    // takes the command line of later launches.
    std::unique_ptr<ipc::InstanceLock> instanceLock;
    std::unique_ptr<QuitSignals> quitSignals;
    std::unique_ptr<ipc::InstanceHandOverListener> handOverListener;
};
