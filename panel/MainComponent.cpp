#include "panel/MainComponent.h"

#include "panel/DeviceAddresses.h"
#include "panel/LevelText.h"
#include "panel/PanelLayout.h"
#include "panel/SettingsFileCare.h"
#include "panel/SettingsKeys.h"
#include "panel/mac_call.h"
#include "resources/BinaryData.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <utility>

namespace
{
// Which panel device events are for: 0 while there is none.
std::atomic<std::uint64_t> livePanelSerial{0};
std::uint64_t panelsMade = 0; // message thread only

// Watched by the menu model and the source of the panel's key mappings; no
// command is registered with it.
std::unique_ptr<juce::ApplicationCommandManager> applicationCommandManager;

juce::Image panelImage(int number)
{
    struct Artwork
    {
        const char* data;
        int size;
    };
#define K71_ARTWORK(n)                                                                             \
    {                                                                                              \
        DEDEVUZIZ::temp_binary_data_##n, DEDEVUZIZ::temp_binary_data_##n##Size                     \
    }
    static const Artwork table[] = {
        K71_ARTWORK(0),  K71_ARTWORK(1),  K71_ARTWORK(2),  K71_ARTWORK(3),  K71_ARTWORK(4),
        K71_ARTWORK(5),  K71_ARTWORK(6),  K71_ARTWORK(7),  K71_ARTWORK(8),  {nullptr, 0},
        K71_ARTWORK(10), K71_ARTWORK(11), K71_ARTWORK(12), K71_ARTWORK(13), K71_ARTWORK(14),
        K71_ARTWORK(15), K71_ARTWORK(16), K71_ARTWORK(17), K71_ARTWORK(18), K71_ARTWORK(19),
        {nullptr, 0},    K71_ARTWORK(21), K71_ARTWORK(22), K71_ARTWORK(23), K71_ARTWORK(24),
        K71_ARTWORK(25), K71_ARTWORK(26), K71_ARTWORK(27), K71_ARTWORK(28), K71_ARTWORK(29),
        K71_ARTWORK(30), K71_ARTWORK(31), K71_ARTWORK(32), K71_ARTWORK(33),
    };
#undef K71_ARTWORK
    if (number < 0 || number >= (int)std::size(table) || table[number].data == nullptr)
        return {};
    return juce::ImageCache::getFromMemory(table[number].data, table[number].size);
}

// A failed read leaves the preset.
template <typename Value>
Value readProperty(AudioObjectID object, const AudioObjectPropertyAddress& address, Value preset)
{
    UInt32 size = sizeof(Value);
    Value value = preset;
    AudioObjectGetPropertyData(object, &address, 0, nullptr, &size, &value);
    return value;
}

template <typename Value>
void writeProperty(AudioObjectID object, const AudioObjectPropertyAddress& address, Value value)
{
    AudioObjectSetPropertyData(object, &address, 0, nullptr, sizeof(Value), &value);
}

bool readSettingsSwitch(juce::PropertiesFile& settings, const juce::String& key)
{
    return settings.getValue(key, "false").toLowerCase() == "true";
}

juce::String settingsSwitchText(bool on)
{
    return on ? "true" : "false";
}

void clearMeter(LevelMeter2& meter)
{
    meter.levelSource = nullptr;
    meter.currentLevel = 0;
}

void switchWithNotification(juce::Button& button, bool on)
{
    button.setToggleState(on, juce::sendNotification);
}

void switchSilently(juce::Button& button, bool on)
{
    button.setToggleState(on, juce::dontSendNotification);
}
} // namespace

juce::PropertiesFile::Options panelSettingsOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "K71 VT";
    options.filenameSuffix = ".settings";
    options.folderName = juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
                             .getChildFile("K71 VT")
                             .getFullPathName();
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.processLock = nullptr;
    return options;
}

//==============================================================================
MainComponent::MainComponent()
    : button32(std::make_unique<juce::ImageButton>("32")),
      button44(std::make_unique<juce::ImageButton>("44")),
      button48(std::make_unique<juce::ImageButton>("48")),
      buttonAnalog(std::make_unique<juce::ImageButton>("Analog")),
      buttonDigital(std::make_unique<juce::ImageButton>("Digital")),
      buttonPro(std::make_unique<juce::ImageButton>("Pro")),
      buttonCon(std::make_unique<juce::ImageButton>("Con")),
      buttonCopy(std::make_unique<juce::ImageButton>("Copy")),
      buttonNoneCopy(std::make_unique<juce::ImageButton>("NoneCopy")),
      buttonLink(std::make_unique<juce::ImageButton>("LINK")),
      buttonMuteIn(std::make_unique<juce::ImageButton>("MuteIn")),
      buttonMuteOut(std::make_unique<juce::ImageButton>("MuteOut")),
      buttonToggleMonitoring(std::make_unique<juce::ImageButton>("buttonToggleMonitoring")),
      sliderGroupIn(std::make_unique<SliderStereoGroup>("sliderGroupIn", 0)),
      sliderGroupOut(std::make_unique<SliderStereoGroup>("sliderGroupOut", 0)),
      levelLabelIn(std::make_unique<juce::Label>()),
      levelLabelInRight(std::make_unique<juce::Label>()),
      levelLabelOut(std::make_unique<juce::Label>()),
      levelLabelOutRight(std::make_unique<juce::Label>()),
      levelMeter1(std::make_unique<LevelMeter2>()), levelMeter2(std::make_unique<LevelMeter2>()),
      levelMeter3(std::make_unique<LevelMeter2>()), levelMeter4(std::make_unique<LevelMeter2>()),
      menuBar(std::make_unique<juce::MenuBarComponent>(this)),
      menuBarLook(std::make_unique<PopupMenuLookandFeel>())
{
    appProperties.setStorageParameters(panelSettingsOptions());
    const bool saveable =
        prepareSettingsFile(appProperties.getStorageParameters().getDefaultFile());
    settingsSaver.watch(appProperties, !saveable);

    if (applicationCommandManager == nullptr)
        applicationCommandManager = std::make_unique<juce::ApplicationCommandManager>();
    addKeyListener(applicationCommandManager->getKeyMappings());
    setApplicationCommandManagerToWatch(applicationCommandManager.get());

    userEditInProgress = false;
    addAndMakeVisible(*menuBar);
    backgroundImage = panelImage(panellayout::artwork::background).createCopy();

    // No system menu bar here: the menus show in the panel's own bar, which
    // takes the height its look asks for.
    menuBarHeight = menuBarLook->getDefaultMenuBarHeight();
    menuBar->setLookAndFeel(menuBarLook.get());
    menuBar->setModel(this);

    looplineWindow.reset();

    aboutWindow = std::make_unique<AboutWindow>();
    aboutDialog = createAboutDialog(aboutWindow.get());
    // The routing pieces (cutLooplineArtworkPieces) are for a routing dialog;
    // none is built, so none is cut.

    // Without a decodable background the layout keeps the artwork's own size.
    designWidth = backgroundImage.isValid() ? backgroundImage.getWidth() : panellayout::designWidth;
    designHeight =
        backgroundImage.isValid() ? backgroundImage.getHeight() : panellayout::designHeight;
    setSize((int)designWidth, (int)designHeight + menuBarHeight);

    setUpImageButton(*button32, 1001);
    setUpImageButton(*button44, 1001);
    setUpImageButton(*button48, 1001);
    setUpImageButton(*buttonMuteOut, 0);
    setUpImageButton(*buttonMuteIn, 0);
    setUpImageButton(*buttonAnalog, 1101);
    setUpImageButton(*buttonDigital, 1101);
    setUpImageButton(*buttonPro, 1201);
    setUpImageButton(*buttonCon, 1201);
    setUpImageButton(*buttonCopy, 1301);
    setUpImageButton(*buttonNoneCopy, 1301);

    sliderLookIn.setImagPathAndSize(nullptr, 0, nullptr, 0, 0, 0);
    sliderLookOut.setImagPathAndSize(nullptr, 0, nullptr, 0, 0, 0);

    setUpImageButton(*buttonToggleMonitoring, 0);
    setUpImageButton(*buttonLink, 0);
    switchSilently(*buttonLink, true);

    sliderGroupIn->setName("sliderGroupIn");
    sliderGroupOut->setName("sliderGroupOut");
    namespace faders = panellayout::faders;
    for (auto* group : {sliderGroupIn.get(), sliderGroupOut.get()})
    {
        group->sliderBaseLayout = {faders::faderLength, faders::faderWidth,  faders::leftFaderX,
                                   faders::faderY,      faders::faderLength, faders::faderWidth,
                                   faders::rightFaderX, faders::faderY};
        group->leftSliderBounds = {faders::leftFaderX, faders::faderY, faders::faderLength,
                                   faders::faderWidth};
        group->rightSliderBounds = {faders::rightFaderX, faders::faderY, faders::faderLength,
                                    faders::faderWidth};
    }
    for (auto* group : {sliderGroupIn.get(), sliderGroupOut.get()})
    {
        group->leftSlider.addListener(this);
        group->rightSlider.addListener(this);
    }
    setUpFaderGroup(*sliderGroupIn, -40.0, 12.0, sliderLookIn, faders::inputGroupX);
    setUpFaderGroup(*sliderGroupOut, -55.0, 0.0, sliderLookOut, faders::outputGroupX);

    addAndMakeVisible(*levelLabelIn);
    addAndMakeVisible(*levelLabelOut);
    for (auto* label : {levelLabelIn.get(), levelLabelOut.get()})
        label->setColour(juce::Label::textColourId, juce::Colours::black);
    for (auto* label : {levelLabelIn.get(), levelLabelOut.get(), levelLabelInRight.get(),
                        levelLabelOutRight.get()})
        label->setText("", juce::dontSendNotification);
    for (auto* label : {levelLabelIn.get(), levelLabelInRight.get(), levelLabelOut.get(),
                        levelLabelOutRight.get()})
        label->setLookAndFeel(&dBLabelLook);
    levelLabelIn->setJustificationType(juce::Justification::left);
    levelLabelOut->setJustificationType(juce::Justification::left);

    enabledButtons(false);

    // Last: from here on device events can reach the panel.
    livePanelSerial = ++panelsMade;
    mydeviceStruct.userData = this;
    mydeviceStruct.eventCallback = &MainComponent::OnApiCallback;
    RegisterDeviceCallBacks();

    resized();
    startTimer(idleTimer, 1500);
}

void MainComponent::setUpImageButton(juce::ImageButton& button, int radioGroup)
{
    button.setClickingTogglesState(true);
    addAndMakeVisible(button);
    if (radioGroup != 0)
        button.setRadioGroupId(radioGroup);
    button.addListener(this);
    button.setEnabled(true);
}

void MainComponent::setUpFaderGroup(SliderStereoGroup& group, double minimum, double maximum,
                                    TavrinSliderLookAndFeel& look, int designX)
{
    addAndMakeVisible(group);
    group.configSliders({minimum, maximum}, 0.0, 0.0, 0.0, look,
                        juce::Colour::fromRGB(0x96, 0x97, 0x98).withAlpha((juce::uint8)0),
                        juce::Colour::fromRGB(0x16, 0x18, 0x1A).withAlpha((juce::uint8)0));
    group.addActionListener(this);
    // The bar above the panel is added by menuOffset, so the design y stays
    // the slot's own y on the background.
    namespace faders = panellayout::faders;
    group.groupBaseBounds = {faders::groupHeight, faders::groupWidth, designX, faders::groupY};
    group.menuOffset = menuBarHeight;
    group.setSize(faders::groupWidth, faders::groupHeight);
    group.setTopLeftPosition(designX, faders::groupY + menuBarHeight);
}

MainComponent::~MainComponent()
{
    // A late device event, for example from the audio notification thread,
    // must find no panel.
    mydeviceStruct.eventCallback = nullptr;
    mydeviceStruct.userData = nullptr;
    livePanelSerial = 0;

    if (deviceAttached)
    {
        saveProperties();
        if (ghidInterface != nullptr)
            IOHIDDeviceClose(ghidInterface, 0);
        ghidInterface = nullptr;
        deviceAttached = false;
    }
    // Ours, so that a failure is said; the framework's at destruction is not.
    settingsSaver.saveNow();

    looplineDialog.reset();
    looplineWindow.reset();

    juce::PopupMenu::dismissAllActiveMenus();

    menuBar->setLookAndFeel(nullptr);
    sliderGroupIn->removeLookAndFeel();
    sliderGroupOut->removeLookAndFeel();

    sliderGroupIn.reset();
    sliderGroupOut.reset();
    menuBar.reset();

    // The dialog only refers to its content weakly, so it deletes nothing more.
    aboutWindow.reset();
    aboutDialog.reset();

    for (auto* meter : {levelMeter1.get(), levelMeter2.get(), levelMeter3.get(), levelMeter4.get()})
        clearMeter(*meter);
    levelMeter1.reset();
    levelMeter2.reset();
    levelMeter3.reset();
    levelMeter4.reset();

    button32.reset();
    button44.reset();
    button48.reset();
    buttonAnalog.reset();
    buttonDigital.reset();
    buttonCon.reset();
    buttonPro.reset();
    buttonCopy.reset();
    buttonNoneCopy.reset();
    buttonLink.reset();

    menuBarLook.reset();

    for (auto* label : {levelLabelIn.get(), levelLabelInRight.get(), levelLabelOut.get(),
                        levelLabelOutRight.get()})
        label->setLookAndFeel(nullptr);
    levelLabelIn.reset();
    levelLabelInRight.reset();
    levelLabelOut.reset();
    levelLabelOutRight.reset();

    buttonMuteIn.reset();
    buttonMuteOut.reset();
    buttonToggleMonitoring.reset();

    setApplicationCommandManagerToWatch(nullptr);
    if (applicationCommandManager != nullptr)
        removeKeyListener(applicationCommandManager->getKeyMappings());
    applicationCommandManager.reset();
}

void MainComponent::visibilityChanged() {}

//==============================================================================
void MainComponent::enabledButtons(bool on)
{
    juce::Button* const controls[] = {
        button44.get(),     button48.get(),     button32.get(),       buttonMuteOut.get(),
        buttonMuteIn.get(), buttonAnalog.get(), buttonDigital.get(),  buttonPro.get(),
        buttonCon.get(),    buttonCopy.get(),   buttonNoneCopy.get(), buttonToggleMonitoring.get(),
    };
    for (auto* button : controls)
        button->setEnabled(on);
    for (auto* button : controls)
        button->setVisible(true);

    for (auto* group : {sliderGroupIn.get(), sliderGroupOut.get()})
    {
        group->setEnabled(on);
        group->setVisible(on);
    }

    if (!on)
    {
        aboutDialog->setVisible(false);

        for (auto* button :
             {buttonAnalog.get(), buttonDigital.get(), buttonPro.get(), buttonCon.get(),
              buttonCopy.get(), buttonNoneCopy.get(), button44.get(), button48.get(),
              button32.get(), buttonMuteOut.get(), buttonMuteIn.get()})
            switchSilently(*button, false);

        for (auto* label : {levelLabelIn.get(), levelLabelOut.get(), levelLabelInRight.get(),
                            levelLabelOutRight.get()})
            label->setText("", juce::dontSendNotification);

        for (auto* meter :
             {levelMeter1.get(), levelMeter2.get(), levelMeter3.get(), levelMeter4.get()})
            clearMeter(*meter);
    }

    buttonMuteIn->setEnabled(on);
    buttonMuteOut->setEnabled(on);
    buttonToggleMonitoring->setEnabled(on);
    buttonLink->setVisible(false);
    buttonLink->setEnabled(false);
    for (auto* meter : {levelMeter3.get(), levelMeter4.get(), levelMeter1.get(), levelMeter2.get()})
    {
        meter->setEnabled(false);
        meter->setVisible(false);
    }
}

//==============================================================================
void MainComponent::OnApiCallback(void* userData, void*, TAVRIN_CallbackEvent event)
{
    if (userData == nullptr)
        return;

    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        deliverDeviceEvent(userData, livePanelSerial, event);
        return;
    }

    // From another thread (the audio notification thread) the event is posted rather
    // than handled under the message-manager lock, whose hand-back to a waiting thread
    // races with that thread's return. The caller never waits for the message thread,
    // so quitting never waits on it; posted calls run in the order they were posted.
    // The serial tells this panel from a later one that the allocator puts at its address.
    juce::MessageManager::callAsync([userData, event, serial = livePanelSerial.load()]
                                    { deliverDeviceEvent(userData, serial, event); });
}

void MainComponent::deliverDeviceEvent(void* userData, std::uint64_t panelSerial,
                                       TAVRIN_CallbackEvent event)
{
    // Message thread only, like the teardown: a call posted before the panel went
    // finds it gone.
    if (mydeviceStruct.userData.load() != userData || livePanelSerial != panelSerial)
        return;

    static_cast<MainComponent*>(userData)->handleDeviceEvent(event);
}

void MainComponent::handleDeviceEvent(TAVRIN_CallbackEvent event)
{
    switch (event)
    {
    case TAVRIN_CB_PROPERTY_CHANGED:
        startCountdown(readBackTimer, 50);
        break;
    case TAVRIN_CB_UNPLUGGED:
        handleDetach();
        break;
    case TAVRIN_CB_PLUGGED:
        handleAttach();
        break;
    case TAVRIN_CB_WILL_SLEEP:
    case TAVRIN_CB_WILL_POWER_ON:
    case TAVRIN_CB_HAS_POWERED_ON:
        break;
    }
}

void MainComponent::handleDetach()
{
    // Saved first, while the buttons still show the device's state.
    saveProperties();
    enabledButtons(false);
    // A read-back still due would read the zeroed ids into the dark panel.
    stopTimer(readBackTimer);

    if (deviceAttached)
    {
        if (ghidInterface != nullptr)
            IOHIDDeviceClose(ghidInterface, 0);
        ghidInterface = nullptr;
        deviceAttached = false;
    }
}

void MainComponent::handleAttach()
{
    enabledButtons(true);
    setLevelLabels();
    deviceAttached = true;
    hw_sendReport(AttachReport());

    auto& settings = *appProperties.getUserSettings();
    const bool monitoring = readSettingsSwitch(settings, settingskeys::monitoring);
    const bool consumerFormat = readSettingsSwitch(settings, settingskeys::consumerFormat);
    const bool copyPermitted = readSettingsSwitch(settings, settingskeys::copyPermitted);

    // The device cannot report these switches, so each is sent again even
    // when the button already shows it.
    monitoringOn = monitoring ? 1 : 0;
    switchWithNotification(*buttonToggleMonitoring, monitoring);
    buttonClicked(buttonToggleMonitoring.get());

    proConFlag = consumerFormat ? 1 : 0;
    auto& formatButton = consumerFormat ? *buttonCon : *buttonPro;
    switchWithNotification(formatButton, true);
    buttonClicked(&formatButton);

    copyNoneFlag = copyPermitted ? 1 : 0;
    auto& copyButton = copyPermitted ? *buttonCopy : *buttonNoneCopy;
    switchWithNotification(copyButton, true);
    buttonClicked(&copyButton);

    startCountdown(readBackTimer, 200);
    repaint();
}

void MainComponent::timerCallback(int timerID)
{
    switch (timerID)
    {
    case userEditTimer:
        if (!countdownEnded(userEditTimer))
            break;
        stopTimer(userEditTimer);
        userEditInProgress = false;
        break;
    case hideTimer:
        stopTimer(hideTimer);
        if (auto* parent = getParentComponent())
            parent->setVisible(false);
        setVisible(false);
        break;
    case spareTimer:
        stopTimer(spareTimer);
        break;
    case readBackTimer:
        if (!countdownEnded(readBackTimer))
            break;
        // Without an interface there is nothing to read: the ids are 0.
        if (deviceAttached)
            readBack();
        stopTimer(readBackTimer);
        break;
    default:
        break;
    }
}

// The framework counts a restarted timer from its own last tick, so it can
// fire early; the panel keeps the deadline and waits out the rest.
void MainComponent::startCountdown(int timerID, int intervalMs)
{
    countdownDeadlines[(size_t)(timerID - userEditTimer)] =
        juce::Time::getMillisecondCounter() + (juce::uint32)intervalMs;
    startTimer(timerID, intervalMs);
}

bool MainComponent::countdownEnded(int timerID)
{
    const auto deadline = countdownDeadlines[(size_t)(timerID - userEditTimer)];
    const auto remaining = (int)(deadline - juce::Time::getMillisecondCounter());
    if (remaining <= 0)
        return true;
    startTimer(timerID, remaining);
    return false;
}

void MainComponent::readBack()
{
    const double rate = getDeviceSampleRate();
    if (rate == 44100.0)
        switchSilently(*button44, true);
    else if (rate == 48000.0)
        switchSilently(*button48, true);
    else if (rate == 32000.0)
        switchSilently(*button32, true);

    menuItemsChanged();

    const auto source = readProperty<UInt32>(gInAudioObjectID, deviceaddress::inputSource, 0);
    if (source == audioDataSourceDigital)
    {
        switchWithNotification(*buttonDigital, true);
        inputSourceIndex = 1;
        sendChannelStatus();
    }
    else if (source == audioDataSourceAnalog)
    {
        inputSourceIndex = 0;
        switchWithNotification(*buttonAnalog, true);
        sendChannelStatus();
    }

    if (userEditInProgress)
        return;

    auto readLevel = [](AudioObjectID device, const AudioObjectPropertyAddress& address)
    { return (double)readProperty<float>(device, address, 0.0f); };
    const double inLeft = readLevel(gInAudioObjectID, deviceaddress::inputVolumeLeft);
    const double inRight = readLevel(gInAudioObjectID, deviceaddress::inputVolumeRight);
    sliderGroupIn->setLevels(inLeft, inRight);
    const double outLeft = readLevel(gOutAudioObjectID, deviceaddress::outputVolumeLeft);
    const double outRight = readLevel(gOutAudioObjectID, deviceaddress::outputVolumeRight);
    sliderGroupOut->setLevels(outLeft, outRight);

    const auto outMute = readProperty<UInt32>(gOutAudioObjectID, deviceaddress::outputMute, 0);
    switchSilently(*buttonMuteOut, outMute != 0);
    const auto inMute = readProperty<UInt32>(gInAudioObjectID, deviceaddress::inputMute, 0);
    switchSilently(*buttonMuteIn, inMute != 0);
}

double MainComponent::getDeviceSampleRate()
{
    return hw_channelStatusRate();
}

void MainComponent::sendChannelStatus()
{
    const auto flags = ChannelStatusFlagByte(proConFlag, copyNoneFlag);
    // Also without a HID device: the rate rule may bring both directions to
    // the output's rate.
    const auto rateCode = ChannelStatusRateCode(getDeviceSampleRate());
    if (ghidInterface != nullptr)
        hw_sendReport(ChannelStatusReport(flags, rateCode));
}

//==============================================================================
void MainComponent::buttonClicked(juce::Button* button)
{
    if (button == button44.get())
    {
        hw_setSampleRate(44100.0);
    }
    else if (button == button48.get())
    {
        hw_setSampleRate(48000.0);
    }
    else if (button == button32.get())
    {
        hw_setSampleRate(32000.0);
    }
    else if (button == buttonMuteOut.get())
    {
        userEditInProgress = true;
        writeProperty<UInt32>(gOutAudioObjectID, deviceaddress::outputMute,
                              button->getToggleState() ? 1 : 0);
        startCountdown(userEditTimer, 50);
    }
    else if (button == buttonMuteIn.get())
    {
        userEditInProgress = true;
        writeProperty<UInt32>(gInAudioObjectID, deviceaddress::inputMute,
                              button->getToggleState() ? 1 : 0);
        startCountdown(userEditTimer, 50);
    }
    else if (button == buttonAnalog.get())
    {
        inputSourceIndex = 0;
        writeProperty<UInt32>(gInAudioObjectID, deviceaddress::inputSource, audioDataSourceAnalog);
        sendChannelStatus();
    }
    else if (button == buttonDigital.get())
    {
        inputSourceIndex = 1;
        writeProperty<UInt32>(gInAudioObjectID, deviceaddress::inputSource, audioDataSourceDigital);
        sendChannelStatus();
    }
    else if (button == buttonPro.get())
    {
        proConFlag = 0;
        sendChannelStatus();
    }
    else if (button == buttonCon.get())
    {
        proConFlag = 1;
        sendChannelStatus();
    }
    else if (button == buttonCopy.get())
    {
        copyNoneFlag = 1;
        sendChannelStatus();
    }
    else if (button == buttonNoneCopy.get())
    {
        copyNoneFlag = 0;
        sendChannelStatus();
    }
    else if (button == buttonToggleMonitoring.get())
    {
        monitoringOn = button->getToggleState() ? 1 : 0;
        hw_sendReport(MonitoringReport(monitoringOn != 0));
    }
}

//==============================================================================
void MainComponent::saveProperties()
{
    auto& settings = *appProperties.getUserSettings();
    settings.setValue(settingskeys::monitoring,
                      settingsSwitchText(buttonToggleMonitoring->getToggleState()));
    settings.setValue(settingskeys::consumerFormat,
                      settingsSwitchText(buttonCon->getToggleState()));
    settings.setValue(settingskeys::copyPermitted,
                      settingsSwitchText(buttonCopy->getToggleState()));
}

void MainComponent::setFactoryDefaults()
{
    hw_setSampleRate(48000.0);

    writeProperty<float>(gOutAudioObjectID, deviceaddress::outputVolumeLeft, 0.0f);
    writeProperty<float>(gOutAudioObjectID, deviceaddress::outputVolumeRight, 0.0f);
    writeProperty<float>(gInAudioObjectID, deviceaddress::inputVolumeLeft, 0.0f);
    writeProperty<float>(gInAudioObjectID, deviceaddress::inputVolumeRight, 0.0f);
    writeProperty<float>(gOutAudioObjectID, deviceaddress::outputVolumeMain, 224.0f);
    writeProperty<float>(gOutAudioObjectID, deviceaddress::outputVolumeLeft, 224.0f);

    writeProperty<UInt32>(gOutAudioObjectID, deviceaddress::outputMute, 0);
    writeProperty<UInt32>(gInAudioObjectID, deviceaddress::inputMute, 0);

    sliderGroupIn->setLevels(0.0, 0.0);
    sliderGroupOut->setLevels(0.0, 0.0);

    const auto outMute = readProperty<UInt32>(gOutAudioObjectID, deviceaddress::outputMute, 0);
    switchSilently(*buttonMuteOut, outMute != 0);
    const auto inMute = readProperty<UInt32>(gInAudioObjectID, deviceaddress::inputMute, 0);
    switchSilently(*buttonMuteIn, inMute != 0);

    switchWithNotification(*buttonToggleMonitoring, false);
    buttonClicked(buttonToggleMonitoring.get());

    switchWithNotification(*buttonAnalog, true);
    switchWithNotification(*buttonPro, true);
    switchWithNotification(*buttonNoneCopy, true);

    setLevelLabels();
}

//==============================================================================
void MainComponent::sliderValueChanged(juce::Slider* slider)
{
    const bool input =
        slider == &sliderGroupIn->leftSlider || slider == &sliderGroupIn->rightSlider;
    const bool output =
        slider == &sliderGroupOut->leftSlider || slider == &sliderGroupOut->rightSlider;
    if (!input && !output)
        return;

    // A dark panel shows no levels, whatever a group announces while detached
    // (factory defaults, a read-back that ran just before the detach).
    auto& group = input ? *sliderGroupIn : *sliderGroupOut;
    if (!group.isEnabled())
        return;
    auto& label = input ? *levelLabelIn : *levelLabelOut;
    label.setText(levelTextByMagnitude(slider->getValue()), juce::dontSendNotification);
}

void MainComponent::setLevelLabels()
{
    if (!sliderGroupIn->isEnabled() || !sliderGroupOut->isEnabled())
        return;

    levelLabelIn->setText(levelTextByMagnitude(sliderGroupIn->leftSlider.getValue()),
                          juce::dontSendNotification);
    levelLabelInRight->setText(levelTextByMagnitude(sliderGroupIn->rightSlider.getValue()),
                               juce::dontSendNotification);
    levelLabelOut->setText(levelText(sliderGroupOut->leftSlider.getValue(), 2),
                           juce::dontSendNotification);
    levelLabelOutRight->setText(levelText(sliderGroupOut->rightSlider.getValue(), 2),
                                juce::dontSendNotification);
}

void MainComponent::actionListenerCallback(const juce::String& message)
{
    if (message == "try_icon_clicked")
    {
        if (auto* parent = getParentComponent())
        {
            if (parent->isVisible())
            {
                parent->toFront(true);
            }
            else
            {
                parent->setVisible(true);
                setVisible(true);
            }
        }
    }

    const juce::String volumeUpdate("volume_update");
    for (auto* group : {sliderGroupIn.get(), sliderGroupOut.get()})
    {
        for (auto* slider : {&group->leftSlider, &group->rightSlider})
        {
            if (message == volumeUpdate + slider->getName() + group->getName())
            {
                sliderValueChanged(slider);
                return;
            }
        }
    }

    if (message != volumeUpdate)
        return;

    userEditInProgress = true;
    const auto inLeft = (float)sliderGroupIn->leftSlider.getValue();
    const auto inRight = (float)sliderGroupIn->rightSlider.getValue();
    const auto outLeft = (float)sliderGroupOut->leftSlider.getValue();
    const auto outRight = (float)sliderGroupOut->rightSlider.getValue();
    writeProperty(gInAudioObjectID, deviceaddress::inputVolumeLeft, inLeft);
    writeProperty(gInAudioObjectID, deviceaddress::inputVolumeRight, inRight);
    writeProperty(gOutAudioObjectID, deviceaddress::outputVolumeLeft, outLeft);
    writeProperty(gOutAudioObjectID, deviceaddress::outputVolumeRight, outRight);
    startCountdown(userEditTimer, 50);
}

//==============================================================================
void MainComponent::paint(juce::Graphics& g)
{
    if (backgroundImage.isValid())
        g.drawImageAt(backgroundImage, 0, menuBarHeight);
}

juce::Image MainComponent::scaledBackground(int width, int height)
{
    // Layout passes at an unchanged size (the constructor's, the window's
    // own) reuse the last picture instead of rescaling the artwork again.
    if (lastScaledBackground.isNull() || lastScaledBackground.getWidth() != width ||
        lastScaledBackground.getHeight() != height)
        lastScaledBackground = panelImage(panellayout::artwork::background)
                                   .createCopy()
                                   .rescaled(width, height, juce::Graphics::highResamplingQuality);
    return lastScaledBackground;
}

void MainComponent::resized()
{
    const int width = getWidth();
    const int height = getHeight();
    const int barHeight = std::min(menuBarHeight, height);
    const float contentWidth = (float)width;
    const float contentHeight = (float)(height - barHeight);

    // A panel no taller than its bar has no room for the background.
    if (width > 0 && height - menuBarHeight > 0)
        backgroundImage = scaledBackground(width, height - menuBarHeight);

    menuBar->setBounds(0, 0, width, barHeight);

    const double scaleX = width / designWidth;
    const double scaleY = (height - menuBarHeight) / designHeight;

    namespace place = panellayout::placement;
    const std::pair<juce::Component*, panellayout::Placement> placements[] = {
        {buttonMuteIn.get(), place::buttonMuteIn},
        {buttonMuteOut.get(), place::buttonMuteOut},
        {buttonAnalog.get(), place::buttonAnalog},
        {buttonDigital.get(), place::buttonDigital},
        {button48.get(), place::button48},
        {button44.get(), place::button44},
        {button32.get(), place::button32},
        {buttonPro.get(), place::buttonPro},
        {buttonCon.get(), place::buttonCon},
        {buttonNoneCopy.get(), place::buttonNoneCopy},
        {buttonCopy.get(), place::buttonCopy},
        {buttonToggleMonitoring.get(), place::buttonToggleMonitoring},
        {buttonLink.get(), place::buttonLink},
        {levelLabelIn.get(), place::levelLabelIn},
        {levelLabelOut.get(), place::levelLabelOut},
    };
    for (const auto& [control, placement] : placements)
    {
        const auto area = panellayout::placedIn(placement, contentWidth, contentHeight);
        control->setBounds(area.x, area.y + menuBarHeight, area.width, area.height);
    }

    sliderGroupIn->setBounds(sliderGroupIn->getNewPos(scaleX, scaleY));
    sliderGroupOut->setBounds(sliderGroupOut->getNewPos(scaleX, scaleY));

    namespace artwork = panellayout::artwork;
    const std::pair<juce::ImageButton*, panellayout::ImagePair> pairs[] = {
        {button44.get(), artwork::button44},
        {button48.get(), artwork::button48},
        {button32.get(), artwork::button32},
        {buttonMuteOut.get(), artwork::buttonMuteOut},
        {buttonMuteIn.get(), artwork::buttonMuteIn},
        {buttonAnalog.get(), artwork::buttonAnalog},
        {buttonDigital.get(), artwork::buttonDigital},
        {buttonPro.get(), artwork::buttonPro},
        {buttonCon.get(), artwork::buttonCon},
        {buttonCopy.get(), artwork::buttonCopy},
        {buttonNoneCopy.get(), artwork::buttonNoneCopy},
        {buttonToggleMonitoring.get(), artwork::buttonToggleMonitoring},
        {buttonLink.get(), artwork::buttonLink},
    };
    const juce::Colour noOverlay = juce::Colours::transparentBlack;
    for (const auto& [button, images] : pairs)
    {
        const auto normal = panelImage(images.normal);
        button->setImages(false, true, true, normal, 1.0f, noOverlay, normal, images.overOpacity,
                          noOverlay, panelImage(images.on), 1.0f, noOverlay, 0.0f);
    }
}

//==============================================================================
juce::StringArray MainComponent::getMenuBarNames()
{
    return {"File", "Config"};
}

juce::PopupMenu MainComponent::getMenuForIndex(int topLevelMenuIndex, const juce::String&)
{
    juce::PopupMenu menu;
    switch (topLevelMenuIndex)
    {
    case 0:
    {
        auto* window = getParentComponent();
        menu.addItem(alwaysOnTopCommand, "Always on top", true,
                     window != nullptr && window->isAlwaysOnTop());
        menu.addSeparator();
        menu.addItem(audioSettingsCommand, "Sound Settings");
        menu.addSeparator();
        menu.addItem(closeCommand, "Close");
        break;
    }
    case 1:
    {
        menu.addItem(factoryDefaultsCommand, "Factory Defaults");
        menu.addSeparator();
        juce::PopupMenu rates;
        rates.addItem(rate32000Command, "32000  Hz", true, button32->getToggleState());
        rates.addItem(rate44100Command, "44100  Hz", true, button44->getToggleState());
        rates.addItem(rate48000Command, "48000  Hz", true, button48->getToggleState());
        menu.addSubMenu("Sample rate", rates);
        break;
    }
    case 2:
        menu.addItem(aboutCommand, "About");
        break;
    case -1:
    {
        menu.addItem(looplineCommand, "LoopLINE");
        menu.addSeparator();
        juce::PopupMenu load;
        load.addItem(looplineLoadCommand, "LoopLINE preset");
        menu.addSubMenu("Load", load);
        menu.addSeparator();
        juce::PopupMenu save;
        save.addItem(looplineSaveCommand, "LoopLINE preset");
        menu.addSubMenu("Save", save);
        menu.addSeparator();
        menu.addItem(looplineResetCommand, "Reset");
        break;
    }
    default:
        break;
    }
    return menu;
}

void MainComponent::menuBarActivated(bool) {}

void MainComponent::menuItemSelected(int menuItemID, int)
{
    sendChangeMessage();

    switch (menuItemID)
    {
    case alwaysOnTopCommand:
        if (auto* window = getParentComponent())
            window->setAlwaysOnTop(!window->isAlwaysOnTop());
        break;
    case audioSettingsCommand:
    {
        const auto started = openAudioSettingsApplication();
        juce::StringArray tried;
        for (const auto& command : audioSettingsCommands())
            tried.add(command[0]);
        const auto line = started.isNotEmpty() ? "Sound Settings: started " + started
                                               : "Sound Settings: none found (tried " +
                                                     tried.joinIntoString(", ") + ")";
        std::fputs(line.toRawUTF8(), stderr);
        std::fputs("\n", stderr);
        std::fflush(stderr);
        break;
    }
    case closeCommand:
        if (auto* application = juce::JUCEApplication::getInstance())
            application->systemRequestedQuit();
        break;
    case factoryDefaultsCommand:
        setFactoryDefaults();
        break;
    case rate32000Command:
        button32->triggerClick();
        break;
    case rate44100Command:
        button44->triggerClick();
        break;
    case rate48000Command:
        button48->triggerClick();
        break;
    case aboutCommand:
        showAboutDialog();
        break;
    case looplineCommand:
    case looplineLoadCommand:
    case looplineSaveCommand:
    case looplineResetCommand:
        runLooplineCommand(menuItemID);
        break;
    default:
        break;
    }

    menuItemsChanged();
}

void MainComponent::showAboutDialog()
{
    const auto panelOnScreen = getScreenBounds();
    aboutDialog->setTopLeftPosition(panelOnScreen.getX(), panelOnScreen.getY() + 50);
    aboutDialog->setResizable(false, false);
    // The dialog lives off the desktop until it is first shown.
    if (!aboutDialog->isOnDesktop())
        aboutDialog->addToDesktop();
    aboutDialog->runModalLoop();
    aboutDialog->setVisible(false);
}

void MainComponent::runLooplineCommand(int commandID)
{
    auto clearRouting = [this]
    {
        if (looplineDialog != nullptr)
            looplineDialog->clearLLConnections();
        MyDeviceMixerClear();
    };

    switch (commandID)
    {
    case looplineCommand:
        MyDeviceMixerReset();
        MyDeviceMixerDefaultFill();
        clearRouting();
        if (looplineWindow != nullptr)
        {
            looplineWindow->setVisible(true);
            const auto panelOnScreen = getScreenBounds();
            const int monitorWidth = getParentMonitorArea().getWidth();
            const int rightEdge = panelOnScreen.getRight();
            const int windowWidth = looplineWindow->getWidth();
            int space = monitorWidth - rightEdge;
            int left = panelOnScreen.getX() - windowWidth;
            if (space < 0)
            {
                space += monitorWidth;
                left -= monitorWidth;
            }
            const int x = left < space ? rightEdge : panelOnScreen.getX() - windowWidth;
            looplineWindow->setTopLeftPosition(x, panelOnScreen.getY());
        }
        break;
    case looplineResetCommand:
        clearRouting();
        break;
    case looplineLoadCommand:
    case looplineSaveCommand:
    {
        // No preset is read or written; only the stored path is looked up.
        juce::ApplicationProperties presetProperties;
        presetProperties.setStorageParameters(panelSettingsOptions());
        presetProperties.getUserSettings()->getValue(
            settingskeys::looplinePresetPath,
            juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
                .getChildFile("K71 VT")
                .getFullPathName());
        break;
    }
    default:
        break;
    }
}
