// Attach, detach and the read-back, against the virtual K71 VT's records.
#include "PanelFixture.h"
#include "panel/SettingsKeys.h"

#include <atomic>
#include <functional>
#include <memory>
#include <new>
#include <thread>

using namespace k71test;

namespace
{
// Each read-back reads the input source once.
int sourceReads()
{
    int count = 0;
    for (const auto& read : sim::propertyReads())
        count += read.address == propertyAddress("ssrc", "inpt", 0) ? 1 : 0;
    return count;
}

void expectAttachedLook(MainComponent& panel)
{
    for (auto* button :
         {panel.button32.get(), panel.button44.get(), panel.button48.get(),
          panel.buttonAnalog.get(), panel.buttonDigital.get(), panel.buttonPro.get(),
          panel.buttonCon.get(), panel.buttonCopy.get(), panel.buttonNoneCopy.get(),
          panel.buttonMuteIn.get(), panel.buttonMuteOut.get(), panel.buttonToggleMonitoring.get()})
    {
        EXPECT_TRUE(button->isEnabled()) << button->getName();
        EXPECT_TRUE(button->isVisible()) << button->getName();
    }
    EXPECT_TRUE(panel.sliderGroupIn->isVisible());
    EXPECT_TRUE(panel.sliderGroupOut->isEnabled());
    EXPECT_FALSE(panel.buttonLink->isVisible());
    EXPECT_FALSE(panel.levelMeter1->isVisible());
}

// Read-backs so far: only the read-back reads the input source.
int readBacks()
{
    int count = 0;
    for (const auto& read : sim::propertyReads())
        count += read.address == propertyAddress("ssrc", "inpt", 0) ? 1 : 0;
    return count;
}
} // namespace

TEST_F(PanelInWindow, FirstAttachWithoutSettingsRestoresTheFactorySwitches)
{
    attach();

    EXPECT_EQ(reportLines(), (Lines{
                                 "attach",
                                 "monitoring off",
                                 // the format, from its notification and its direct call
                                 "status 05 20",
                                 "status 05 20",
                                 // the copy option, the same
                                 "status 05 20",
                                 "status 05 20",
                                 // read-back: the analog source switched on, then its own
                                 "status 05 20",
                                 "status 05 20",
                             }));
    EXPECT_EQ(writeLines(), (Lines{"dev ssrc/inpt/0 = analog"}));

    expectAttachedLook(*panel);
    EXPECT_TRUE(panel->deviceAttached);
    EXPECT_FALSE(panel->buttonToggleMonitoring->getToggleState());
    EXPECT_TRUE(panel->buttonPro->getToggleState());
    EXPECT_TRUE(panel->buttonNoneCopy->getToggleState());
    EXPECT_TRUE(panel->buttonAnalog->getToggleState());
    EXPECT_TRUE(panel->button48->getToggleState());
    EXPECT_FALSE(panel->button44->getToggleState());
    EXPECT_EQ(panel->levelLabelIn->getText(), "0.0 dB  ");
    EXPECT_EQ(panel->levelLabelOut->getText(), "0.0 dB  ");
    EXPECT_EQ(panel->monitoringOn, 0);
    EXPECT_EQ(panel->proConFlag, 0);
    EXPECT_EQ(panel->copyNoneFlag, 0);
    EXPECT_EQ(panel->inputSourceIndex, 0);
}

TEST_F(PanelInWindow, DetachSavesTheSwitchesDarkensAndForgetsTheDevice)
{
    attach();
    chooseConCopyAndMonitoring();
    click(*panel->buttonMuteIn);
    click(*panel->buttonMuteOut);
    settle();
    ASSERT_TRUE(panel->buttonMuteIn->getToggleState() && panel->buttonMuteOut->getToggleState());
    const auto hid = ghidInterface.load();
    ASSERT_NE(hid, nullptr);
    sim::clearRecords();

    detach();

    EXPECT_EQ(reportLines(), Lines{});
    EXPECT_EQ(writeLines(), Lines{});
    EXPECT_EQ(sim::hidCloses(), std::vector<IOHIDDeviceRef>{hid});
    EXPECT_EQ(ghidInterface.load(), nullptr);
    EXPECT_FALSE(panel->deviceAttached);

    auto& settings = *panel->appProperties.getUserSettings();
    EXPECT_EQ(settings.getValue(settingskeys::monitoring), "true");
    EXPECT_EQ(settings.getValue(settingskeys::consumerFormat), "true");
    EXPECT_EQ(settings.getValue(settingskeys::copyPermitted), "true");

    for (auto* button :
         {panel->buttonCon.get(), panel->buttonCopy.get(), panel->buttonAnalog.get(),
          panel->button48.get(), panel->buttonMuteIn.get(), panel->buttonMuteOut.get()})
    {
        EXPECT_FALSE(button->getToggleState()) << button->getName();
        EXPECT_FALSE(button->isEnabled()) << button->getName();
        EXPECT_TRUE(button->isVisible()) << button->getName();
    }
    // Monitoring keeps its state, disabled.
    EXPECT_TRUE(panel->buttonToggleMonitoring->getToggleState());
    EXPECT_FALSE(panel->buttonToggleMonitoring->isEnabled());
    EXPECT_FALSE(panel->sliderGroupIn->isVisible());
    EXPECT_EQ(panel->levelLabelIn->getText(), "");
    EXPECT_EQ(panel->levelLabelOut->getText(), "");
}

TEST_F(PanelInWindow, AttachAfterADetachRestoresConCopyAndMonitoring)
{
    attach();
    chooseConCopyAndMonitoring();
    detach();
    sim::clearRecords();

    attach();

    EXPECT_EQ(reportLines(), (Lines{
                                 "attach",
                                 // the toggle still shows monitoring on: the direct call only
                                 "monitoring on",
                                 "status 00 20",
                                 "status 00 20",
                                 "status 00 20",
                                 "status 00 20",
                                 "status 00 20",
                                 "status 00 20",
                             }));
    EXPECT_TRUE(panel->buttonCon->getToggleState());
    EXPECT_TRUE(panel->buttonCopy->getToggleState());
    EXPECT_FALSE(panel->buttonPro->getToggleState());
    EXPECT_TRUE(panel->buttonToggleMonitoring->getToggleState());
    EXPECT_EQ(panel->monitoringOn, 1);
}

TEST_F(PanelInWindow, StoredSwitchesFromAnEarlierRun)
{
    struct Stored
    {
        const char* mon;
        const char* proCon;
        const char* copyNone;
        Lines reports;
    };
    // Only "true" in any letter case counts. The second attach follows the
    // first: monitoring still shows on, and the format reports still carry
    // the copy option of the first.
    const Stored cases[] = {
        {"TRUE",
         "True",
         "true",
         {"attach", "monitoring on", "monitoring on", "status 04 20", "status 04 20",
          "status 00 20", "status 00 20", "status 00 20", "status 00 20"}},
        {"1",
         "true ",
         "yes",
         {"attach", "monitoring off", "monitoring off", "status 01 20", "status 01 20",
          "status 05 20", "status 05 20", "status 05 20", "status 05 20"}},
    };
    for (const auto& stored : cases)
    {
        SCOPED_TRACE(stored.proCon);
        auto& settings = *panel->appProperties.getUserSettings();
        settings.setValue(settingskeys::monitoring, stored.mon);
        settings.setValue(settingskeys::consumerFormat, stored.proCon);
        settings.setValue(settingskeys::copyPermitted, stored.copyNone);
        sim::clearRecords();

        attach();
        EXPECT_EQ(reportLines(), stored.reports);
        detach();
    }
}

TEST_F(PanelInWindow, AnAttachFollowingAnAttachSendsEachSwitchOnce)
{
    attach();
    sim::clearRecords();

    MainComponent::OnApiCallback(panel, nullptr, TAVRIN_CB_PLUGGED);
    EXPECT_EQ(reportLines(), (Lines{"attach", "monitoring off", "status 05 20", "status 05 20"}));
    settle();
    // The read-back finds the analog source already shown.
    EXPECT_EQ(reportLines(),
              (Lines{"attach", "monitoring off", "status 05 20", "status 05 20", "status 05 20"}));
}

TEST_F(PanelInWindow, DetachWithoutAnAttachSavesTheClearedButtonsAndClosesNothing)
{
    MainComponent::OnApiCallback(panel, nullptr, TAVRIN_CB_UNPLUGGED);
    EXPECT_EQ(sim::hidCloses(), std::vector<IOHIDDeviceRef>{});
    auto& settings = *panel->appProperties.getUserSettings();
    EXPECT_EQ(settings.getValue(settingskeys::monitoring), "false");
    EXPECT_EQ(settings.getValue(settingskeys::consumerFormat), "false");
    EXPECT_EQ(settings.getValue(settingskeys::copyPermitted), "false");
}

TEST_F(PanelInWindow, SleepAndWakeEventsAndANullPanelChangeNothing)
{
    attach();
    sim::clearRecords();
    for (auto event : {TAVRIN_CB_WILL_SLEEP, TAVRIN_CB_WILL_POWER_ON, TAVRIN_CB_HAS_POWERED_ON})
        MainComponent::OnApiCallback(panel, nullptr, event);
    MainComponent::OnApiCallback(nullptr, nullptr, TAVRIN_CB_UNPLUGGED);
    EXPECT_FALSE(panel->isTimerRunning(MainComponent::readBackTimer));
    EXPECT_TRUE(panel->deviceAttached);
    EXPECT_EQ(reportLines(), Lines{});
    EXPECT_EQ(writeLines(), Lines{});
}

TEST_F(PanelInWindow, ReadBackTakesVolumesMutesAndRateIntoThePanel)
{
    attach();
    const auto device = sim::interfaceInputDevice();
    ASSERT_TRUE(sim::changeProperties(device, {{propertyAddress("vold", "inpt", 1), -12.25f},
                                               {propertyAddress("vold", "inpt", 2), -3.0f},
                                               {propertyAddress("vold", "outp", 1), -20.0f},
                                               {propertyAddress("vold", "outp", 2), -55.0f},
                                               {propertyAddress("mute", "outp", 0), UInt32(1)},
                                               {propertyAddress("nsrt", "****", 0), 44100.0}}));
    settle();

    EXPECT_EQ(panel->sliderGroupIn->leftSlider.getValue(), -12.25);
    EXPECT_EQ(panel->sliderGroupIn->rightSlider.getValue(), -3.0);
    EXPECT_EQ(panel->sliderGroupOut->leftSlider.getValue(), -20.0);
    EXPECT_EQ(panel->sliderGroupOut->rightSlider.getValue(), -55.0);
    EXPECT_TRUE(panel->buttonMuteOut->getToggleState());
    EXPECT_FALSE(panel->buttonMuteIn->getToggleState());
    EXPECT_TRUE(panel->button44->getToggleState());
    EXPECT_FALSE(panel->button48->getToggleState());
    // The groups announce the new levels, and the labels follow.
    ASSERT_TRUE(pumpUntil([this] { return panel->levelLabelOut->getText() != "0.0 dB  "; }));
    EXPECT_TRUE(pumpUntil([this] { return panel->levelLabelIn->getText() == "-3.0 dB "; }));
    EXPECT_EQ(panel->levelLabelOut->getText(), "-55.0 dB");

    // The rebuilt menu ticks the new rate only.
    auto rates = panel->getMenuForIndex(1, "Config");
    juce::PopupMenu::MenuItemIterator items(rates, true);
    juce::StringArray ticked;
    while (items.next())
        if (items.getItem().isTicked)
            ticked.add(items.getItem().text);
    EXPECT_EQ(ticked, juce::StringArray({"44100  Hz"}));
}

TEST_F(PanelInWindow, OutputRateWinsWhenTheDirectionsDisagree)
{
    auto config = sim::InterfaceConfig::separateDevices();
    config.audioDevices[0].sampleRate = 44100.0;
    config.audioDevices[1].sampleRate = 32000.0;
    attach(config);

    // The first channel-status report brings the input to the output's rate.
    const auto writes = writeLines();
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(Lines(writes.begin(), writes.begin() + 2),
              (Lines{"in pft /****/0 = format 32000", "out pft /****/0 = format 32000"}));
    EXPECT_EQ(sim::nominalRate(sim::interfaceInputDevice()), 32000.0);
    EXPECT_TRUE(panel->button32->getToggleState());
    for (const auto& report : reportLines())
    {
        if (report.rfind("status", 0) == 0)
        {
            EXPECT_EQ(report.substr(10), "30");
        }
    }
}

TEST_F(PanelInWindow, ReadBackBringsTheInputToTheOutputsRate)
{
    auto config = sim::InterfaceConfig::separateDevices();
    config.audioDevices[1].nominalRates = {48000.0};
    attach(config);
    sim::clearRecords();

    // The output refuses to follow the input's new rate.
    ASSERT_TRUE(sim::setNominalRate(sim::interfaceInputDevice(), 44100.0));
    settle();

    EXPECT_EQ(writeLines(), (Lines{"out nsrt/****/0 = 44100 !nope", "in nsrt/****/0 = 48000",
                                   "out nsrt/****/0 = 48000"}));
    EXPECT_EQ(sim::nominalRate(sim::interfaceInputDevice()), 48000.0);
    EXPECT_TRUE(panel->button48->getToggleState());
    EXPECT_FALSE(panel->button44->getToggleState());
    // One report from the read-back, one from the read-back the input's
    // return to 48000 Hz caused.
    EXPECT_EQ(reportLines(), (Lines{"status 05 20", "status 05 20"}));
}

TEST_F(PanelInWindow, DirectionsThatCannotAgreeLeaveTheRateButtonsAndSendRateCodeZero)
{
    auto config = sim::InterfaceConfig::separateDevices();
    config.audioDevices[0].sampleRate = 44100.0;
    config.audioDevices[0].nominalRates = {44100.0};
    config.audioDevices[0].physicalRates = {44100.0};
    config.audioDevices[1].sampleRate = 48000.0;
    sim::plugInterface(config);
    ASSERT_TRUE(pumpUntil([this] { return panel->deviceAttached; }));
    settle();

    for (auto* button : {panel->button32.get(), panel->button44.get(), panel->button48.get()})
        EXPECT_FALSE(button->getToggleState()) << button->getName();
    const auto reports = reportLines();
    ASSERT_FALSE(reports.empty());
    for (const auto& report : reports)
    {
        if (report.rfind("status", 0) == 0)
        {
            EXPECT_EQ(report, "status 05 00");
        }
    }
    // Every report tried to bring the input to the output's 48000 Hz.
    const auto writes = writeLines();
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0], "in nsrt/****/0 = 48000 !nope");
    EXPECT_EQ(writes[1], "out nsrt/****/0 = 48000");
}

TEST_F(PanelInWindow, SourceReadBackSwitchesAndReportsOnlyAKnownSource)
{
    using ButtonMember = std::unique_ptr<juce::ImageButton> MainComponent::*;
    struct SourceCase
    {
        const char* name;
        std::function<void()> change;
        bool readFails;
        Lines writes;
        Lines reports;
        ButtonMember on;
        ButtonMember off;
        int sourceIndex;
    };
    const auto device = [] { return sim::interfaceInputDevice(); };
    const auto source = propertyAddress("ssrc", "inpt", 0);
    const Lines fourReports{"status 05 20", "status 05 20", "status 05 20", "status 05 20"};
    // From the attach's analog source to digital, then back: the handler of
    // the button going off first, then that of the one going on, then the
    // read-back's own report, then the report of the read-back that the two
    // writes caused. A source the panel does not know, or none at all,
    // leaves the buttons and sends nothing.
    const SourceCase cases[] = {
        {"digital",
         [&] { sim::setDataSource(device(), audioDataSourceDigital); },
         false,
         {"dev ssrc/inpt/0 = analog", "dev ssrc/inpt/0 = digital"},
         fourReports,
         &MainComponent::buttonDigital,
         &MainComponent::buttonAnalog,
         1},
        {"analog",
         [&] { sim::setDataSource(device(), audioDataSourceAnalog); },
         false,
         {"dev ssrc/inpt/0 = digital", "dev ssrc/inpt/0 = analog"},
         fourReports,
         &MainComponent::buttonAnalog,
         &MainComponent::buttonDigital,
         0},
        {"unknown",
         [&] { sim::setDataSource(device(), 0x1020B03); },
         false,
         {},
         {},
         &MainComponent::buttonAnalog,
         &MainComponent::buttonDigital,
         0},
        {"failed read",
         [&]
         {
             sim::removeProperty(device(), source);
             sim::notifyListeners(device(), {source});
         },
         true,
         {},
         {},
         &MainComponent::buttonAnalog,
         &MainComponent::buttonDigital,
         0},
    };
    attach();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        sim::clearRecords();

        c.change();
        settle();

        // The read-back ran, and its source read failed only where the row says.
        std::vector<bool> sourceReadsFailed;
        for (const auto& read : sim::propertyReads())
            if (read.address == source)
                sourceReadsFailed.push_back(read.status != 0);
        ASSERT_FALSE(sourceReadsFailed.empty());
        EXPECT_EQ(sourceReadsFailed.front(), c.readFails);
        EXPECT_EQ(writeLines(), c.writes);
        EXPECT_EQ(reportLines(), c.reports);
        EXPECT_TRUE((panel->*c.on)->getToggleState());
        EXPECT_FALSE((panel->*c.off)->getToggleState());
        EXPECT_EQ(panel->inputSourceIndex, c.sourceIndex);
    }
}

TEST_F(PanelInWindow, ReadBackLeavesVolumesAndMutesAloneDuringAUserEdit)
{
    attach();
    panel->userEditInProgress = true;
    const auto device = sim::interfaceInputDevice();
    sim::clearRecords();
    ASSERT_TRUE(sim::changeProperties(device, {{propertyAddress("vold", "outp", 1), -30.0f},
                                               {propertyAddress("mute", "inpt", 0), UInt32(1)},
                                               {propertyAddress("nsrt", "****", 0), 44100.0}}));
    settle();
    EXPECT_EQ(panel->sliderGroupOut->leftSlider.getValue(), 0.0);
    EXPECT_FALSE(panel->buttonMuteIn->getToggleState());
    // Rate, its buttons and the report still follow.
    EXPECT_TRUE(panel->button44->getToggleState());
    EXPECT_EQ(reportLines(), Lines{"status 05 00"});

    panel->userEditInProgress = false;
    sim::notifyListeners(device, {propertyAddress("mute", "inpt", 0)});
    settle();
    EXPECT_EQ(panel->sliderGroupOut->leftSlider.getValue(), -30.0);
    EXPECT_TRUE(panel->buttonMuteIn->getToggleState());
}

TEST_F(PanelInWindow, ABurstOfChangesGivesOneReadBackAfterTheLast)
{
    attach();
    const auto device = sim::interfaceInputDevice();
    sim::clearRecords();

    // Three changes 10 ms apart, made by the hardware while the panel runs.
    std::atomic<juce::uint32> lastChange{0};
    std::atomic<bool> done{false};
    std::thread hardware(
        [&]
        {
            for (int change = 0; change < 3; ++change)
            {
                if (change > 0)
                    juce::Thread::sleep(10);
                lastChange = juce::Time::getMillisecondCounter();
                sim::notifyListeners(device, {propertyAddress("mute", "outp", 0)});
            }
            done = true;
        });
    const bool finished = pumpUntil([&] { return done.load(); });
    hardware.join();
    ASSERT_TRUE(finished);

    ASSERT_TRUE(pumpUntil([&] { return readBacks() > 0; }));
    EXPECT_GE(juce::Time::getMillisecondCounter() - lastChange, 50u);
    settle();
    EXPECT_EQ(readBacks(), 1);
}

namespace
{
// Raises the events one after another on a thread of its own while this (the message)
// thread dispatches nothing; whether that thread returned without waiting for it.
bool raiseFromAnotherThread(MainComponent* panel, const std::vector<TAVRIN_CallbackEvent>& events)
{
    struct EventThread : juce::Thread
    {
        EventThread(MainComponent* target, const std::vector<TAVRIN_CallbackEvent>& list)
            : juce::Thread("k71-test-event"), panel(target), events(list)
        {
        }
        void run() override
        {
            for (const auto event : events)
                MainComponent::OnApiCallback(panel, nullptr, event);
        }
        MainComponent* panel;
        std::vector<TAVRIN_CallbackEvent> events;
    };
    EventThread thread(panel, events);
    thread.startThread();
    const bool returned = thread.waitForThreadToExit(3000);
    thread.signalThreadShouldExit(); // lets a thread that waits for this one give up
    thread.waitForThreadToExit(3000);
    return returned;
}
} // namespace

TEST_F(PanelInWindow, EventsFromAnotherThreadArriveInTheirOrderOnTheMessageThread)
{
    struct Case
    {
        std::vector<TAVRIN_CallbackEvent> events;
        bool attachedAfter;
        bool readBackDue;
    };
    const Case cases[] = {
        {{TAVRIN_CB_PROPERTY_CHANGED}, true, true},
        {{TAVRIN_CB_PLUGGED, TAVRIN_CB_UNPLUGGED}, false, false},
        {{TAVRIN_CB_UNPLUGGED, TAVRIN_CB_PLUGGED}, true, true},
        {{TAVRIN_CB_PLUGGED, TAVRIN_CB_UNPLUGGED, TAVRIN_CB_WILL_SLEEP}, false, false},
    };
    attach();
    for (const auto& row : cases)
    {
        SCOPED_TRACE(testing::PrintToString(row.events));
        settle();
        const bool attachedBefore = panel->deviceAttached;
        sim::clearRecords();

        ASSERT_TRUE(raiseFromAnotherThread(panel, row.events));
        // Nothing has reached the panel while the message thread was elsewhere.
        EXPECT_EQ(panel->deviceAttached, attachedBefore);
        EXPECT_FALSE(panel->isTimerRunning(MainComponent::readBackTimer));

        flushPostedMessages();
        EXPECT_EQ(panel->deviceAttached, row.attachedAfter);
        settle();
        if (row.readBackDue)
        {
            EXPECT_EQ(sourceReads(), 1);
        }
    }
}

TEST_F(PanelInWindow, AnEventFromAnotherThreadThatArrivesAfterTheTeardownReachesNothing)
{
    attach();
    sim::clearRecords();
    ASSERT_TRUE(raiseFromAnotherThread(panel, {TAVRIN_CB_PLUGGED, TAVRIN_CB_PROPERTY_CHANGED}));
    deletePanel();

    flushPostedMessages();
    pumpFor(80);
    EXPECT_EQ(reportLines(), Lines{});
}

TEST_F(PanelInWindow, AnEventPostedForAnEarlierPanelDoesNotReachOneBuiltInItsPlace)
{
    deletePanel();
    // The second panel at the first one's address, as the allocator may give it.
    struct alignas(MainComponent) Storage
    {
        unsigned char bytes[sizeof(MainComponent)];
    };
    auto storage = std::make_unique<Storage>();
    auto* first = new (storage->bytes) MainComponent();
    ASSERT_TRUE(raiseFromAnotherThread(first, {TAVRIN_CB_PLUGGED}));
    first->~MainComponent();

    auto* second = new (storage->bytes) MainComponent();
    flushPostedMessages();
    EXPECT_FALSE(second->deviceAttached);
    EXPECT_EQ(reportLines(), Lines{});
    second->~MainComponent();
}

TEST_F(PanelInWindow, TeardownWhileAttachedSavesClosesAndLeavesNoCallback)
{
    attach();
    click(*panel->buttonCon);
    settle();
    const auto hid = ghidInterface.load();
    sim::clearRecords();

    deletePanel();

    EXPECT_EQ(mydeviceStruct.eventCallback.load(), nullptr);
    EXPECT_EQ(mydeviceStruct.userData.load(), nullptr);
    EXPECT_EQ(sim::hidCloses(), std::vector<IOHIDDeviceRef>{hid});
    EXPECT_EQ(ghidInterface.load(), nullptr);
    const auto stored = juce::parseXML(settingsFile());
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->getChildByAttribute("name", "PRO_CON")->getStringAttribute("val"), "true");
    EXPECT_EQ(stored->getChildByAttribute("name", "MON")->getStringAttribute("val"), "false");

    // A late change from the device reaches no panel.
    sim::setMute(sim::interfaceInputDevice(), audioScopeOutput, 1);
    EXPECT_TRUE(sim::waitForAudioNotifications());
    pumpFor(80);
}

TEST_F(PanelInWindow, ReadBackWaitsItsIntervalAfterTheEvent)
{
    struct Wait
    {
        TAVRIN_CallbackEvent event;
        int intervalMs;
    };
    attach();
    for (const auto& wait : {Wait{TAVRIN_CB_PROPERTY_CHANGED, 50}, Wait{TAVRIN_CB_PLUGGED, 200}})
    {
        SCOPED_TRACE(wait.intervalMs);
        sim::clearRecords();
        const auto before = juce::Time::getMillisecondCounter();

        MainComponent::OnApiCallback(panel, nullptr, wait.event);

        // Started with exactly its interval; a longer wait would show here
        // whatever the machine's load.
        ASSERT_TRUE(
            pumpUntil([this] { return panel->isTimerRunning(MainComponent::readBackTimer); }));
        EXPECT_EQ(panel->getTimerInterval(MainComponent::readBackTimer), wait.intervalMs);
        EXPECT_EQ(readBacks(), 0);
        ASSERT_TRUE(pumpUntil([] { return readBacks() > 0; }));
        EXPECT_GE(juce::Time::getMillisecondCounter() - before, (juce::uint32)wait.intervalMs);
        settle();
        EXPECT_EQ(readBacks(), 1);
    }
}

TEST_F(PanelInWindow, ADarkPanelReadsNothingBackAndShowsNoLevels)
{
    struct Road
    {
        const char* name;
        float deviceLevel;
        const char* shown;
        std::function<void()> run;
    };
    const auto requestReadBack = [this]
    { MainComponent::OnApiCallback(panel, nullptr, TAVRIN_CB_PROPERTY_CHANGED); };
    const Road roads[] = {
        {"a read-back still due at the detach", -6.0f, "-6.0 dB ",
         [&]
         {
             requestReadBack();
             detach();
             EXPECT_FALSE(panel->isTimerRunning(MainComponent::readBackTimer));
         }},
        {"a change reported after the detach", -9.0f, "-9.0 dB ",
         [&]
         {
             detach();
             requestReadBack();
         }},
    };
    for (const auto& road : roads)
    {
        SCOPED_TRACE(road.name);
        // Every attach, also the one after a dark road, shows the device's levels.
        auto config = sim::InterfaceConfig::standard();
        config.audioDevices[0].volumeDb = road.deviceLevel;
        attach(config);
        EXPECT_TRUE(pumpUntil([&] { return panel->levelLabelIn->getText() == road.shown; }));
        EXPECT_TRUE(pumpUntil([&] { return panel->levelLabelOut->getText() == road.shown; }));
        sim::clearRecords();

        road.run();
        // Past the end of any read-back the road could have started.
        pumpFor(250);

        EXPECT_EQ(readBacks(), 0);
        EXPECT_EQ(panel->sliderGroupIn->leftSlider.getValue(), road.deviceLevel);
        EXPECT_EQ(panel->levelLabelIn->getText(), "");
        EXPECT_EQ(panel->levelLabelOut->getText(), "");
    }
}
