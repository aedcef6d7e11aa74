#pragma once

#include "device/RegisterDeviceCallBacksMac.h"
#include "panel/AboutWindow.h"
#include "panel/LLDialog.h"
#include "panel/SettingsFileCare.h"
#include "widgets/LevelMeter2.h"
#include "widgets/PopupMenuLookAndFeel.h"
#include "widgets/SliderLookAndFeel.h"
#include "widgets/SliderStereoGroup.h"
#include "widgets/TavrinLabel.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

// The control panel: owns every widget, turns the user's actions into device
// writes and HID reports, reads the device's state back after every attach and
// every reported property change, keeps the settings file and serves the menus
// of its in-window menu bar.
//
// Everything runs on the message thread; device events raised on another
// thread are posted to it. The members are public: the application reaches the
// settings, and the tests the widgets and the state.
class MainComponent : public juce::Component,
                      public juce::Button::Listener,
                      public juce::MenuBarModel,
                      public juce::ChangeBroadcaster,
                      private juce::ActionListener,
                      public juce::MultiTimer,
                      public juce::Slider::Listener
{
  public:
    // Timers of the panel.
    static constexpr int userEditTimer = 0x1000;
    static constexpr int hideTimer = 0x1001;
    static constexpr int idleTimer = 0x1002;
    static constexpr int spareTimer = 0x1003;
    static constexpr int readBackTimer = 0x1004;

    // Menu commands.
    static constexpr int alwaysOnTopCommand = 0x2000;
    static constexpr int audioSettingsCommand = 0x2001;
    static constexpr int closeCommand = 0x2002;
    static constexpr int factoryDefaultsCommand = 0x2003;
    static constexpr int looplineCommand = 0x2004;
    static constexpr int aboutCommand = 0x2005;
    static constexpr int rate32000Command = 0x2100;
    static constexpr int rate44100Command = 0x2101;
    static constexpr int rate48000Command = 0x2102;
    static constexpr int looplineLoadCommand = 0x2400;
    static constexpr int looplineSaveCommand = 0x2401;
    static constexpr int looplineResetCommand = 0x2402;

    MainComponent();
    ~MainComponent() override;

    void visibilityChanged() override;
    void paint(juce::Graphics& g) override;
    void resized() override;
    void buttonClicked(juce::Button* button) override;
    void sliderValueChanged(juce::Slider* slider) override;
    void timerCallback(int timerID) override;
    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex(int topLevelMenuIndex, const juce::String& menuName) override;
    void menuBarActivated(bool isActive) override;
    void menuItemSelected(int menuItemID, int topLevelMenuIndex) override;

    void saveProperties();
    void setFactoryDefaults();
    void setLevelLabels();
    void enabledButtons(bool on);

    // The device link's event callback; userData is the panel.
    static void OnApiCallback(void* userData, void* reserved, TAVRIN_CallbackEvent event);

    // The two devices' common rate; when they differ, the output's rate once
    // both follow it, else 0.
    double getDeviceSampleRate();
    // One channel-status report from the format and copy flags and the rate.
    void sendChannelStatus();

    juce::ApplicationProperties& getAppProperties() { return appProperties; }

    bool deviceAttached = false;
    TavrindBLabelLookAndFeel dBLabelLook;
    juce::ApplicationProperties appProperties;
    // Our saves of appProperties' file, which say when they fail.
    SettingsSaver settingsSaver;
    int monitoringOn = 0;
    int inputSourceIndex = 0;
    int proConFlag = 0;
    int copyNoneFlag = 0;
    std::unique_ptr<juce::ImageButton> button32;
    std::unique_ptr<juce::ImageButton> button44;
    std::unique_ptr<juce::ImageButton> button48;
    std::unique_ptr<juce::ImageButton> buttonAnalog;
    std::unique_ptr<juce::ImageButton> buttonDigital;
    std::unique_ptr<juce::ImageButton> buttonPro;
    std::unique_ptr<juce::ImageButton> buttonCon;
    std::unique_ptr<juce::ImageButton> buttonCopy;
    std::unique_ptr<juce::ImageButton> buttonNoneCopy;
    std::unique_ptr<juce::ImageButton> buttonLink;
    std::unique_ptr<juce::ImageButton> buttonMuteIn;
    std::unique_ptr<juce::ImageButton> buttonMuteOut;
    std::unique_ptr<juce::ImageButton> buttonToggleMonitoring;
    std::unique_ptr<SliderStereoGroup> sliderGroupIn;
    std::unique_ptr<SliderStereoGroup> sliderGroupOut;
    std::unique_ptr<juce::Label> levelLabelIn;
    std::unique_ptr<juce::Label> levelLabelInRight;
    std::unique_ptr<juce::Label> levelLabelOut;
    std::unique_ptr<juce::Label> levelLabelOutRight;
    std::unique_ptr<LevelMeter2> levelMeter1;
    std::unique_ptr<LevelMeter2> levelMeter2;
    std::unique_ptr<LevelMeter2> levelMeter3;
    std::unique_ptr<LevelMeter2> levelMeter4;
    std::unique_ptr<juce::MenuBarComponent> menuBar;
    std::unique_ptr<PopupMenuLookandFeel> menuBarLook;
    std::unique_ptr<juce::DialogWindow> looplineWindow;
    std::unique_ptr<LooplineDialog> looplineDialog;
    std::unique_ptr<juce::DialogWindow> aboutDialog;
    std::unique_ptr<AboutWindow> aboutWindow;
    int menuBarHeight = 0;
    TavrinSliderLookAndFeel sliderLookIn;
    TavrinSliderLookAndFeel sliderLookOut;
    juce::Image backgroundImage;
    bool userEditInProgress = false;
    double designWidth = 0.0;
    double designHeight = 0.0;

    // Action messages of the two fader groups (through the private base).
    void actionListenerCallback(const juce::String& message) override;

  private:
    static void deliverDeviceEvent(void* userData, std::uint64_t panelSerial,
                                   TAVRIN_CallbackEvent event);
    void handleDeviceEvent(TAVRIN_CallbackEvent event);
    void handleAttach();
    void handleDetach();
    void readBack();
    void startCountdown(int timerID, int intervalMs);
    bool countdownEnded(int timerID);
    void runLooplineCommand(int commandID);
    void showAboutDialog();
    void setUpImageButton(juce::ImageButton& button, int radioGroup);
    juce::Image scaledBackground(int width, int height);
    void setUpFaderGroup(SliderStereoGroup& group, double minimum, double maximum,
                         TavrinSliderLookAndFeel& look, int designX);

    // The background artwork at the size of the last layout pass.
    juce::Image lastScaledBackground;

    // Deadlines of the one-shot timers, by id from userEditTimer on.
    std::array<juce::uint32, 5> countdownDeadlines{};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainComponent)
};

// The settings file's options: "K71 VT.settings" in the folder "K71 VT" of
// the user's application data folder, XML, saved 3000 ms after a change.
juce::PropertiesFile::Options panelSettingsOptions();
