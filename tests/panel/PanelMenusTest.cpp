// The menu model, its commands, the About dialog and the routing record.
#include "PanelFixture.h"
#include "StandardErrorCapture.h"
#include "panel/mac_call.h"

using namespace k71test;

namespace
{
struct Entry
{
    std::string text;
    int id;
    bool ticked;
    int depth;
};

bool operator==(const Entry& a, const Entry& b)
{
    return a.text == b.text && a.id == b.id && a.ticked == b.ticked && a.depth == b.depth;
}

void PrintTo(const Entry& e, std::ostream* out)
{
    *out << "{" << e.text << ", " << e.id << (e.ticked ? ", ticked" : "") << ", depth " << e.depth
         << "}";
}

// Every entry in menu order, separators as "-" and submenus as their name
// followed by their items one level deeper.
std::vector<Entry> entriesOf(const juce::PopupMenu& menu, int depth = 0)
{
    std::vector<Entry> entries;
    juce::PopupMenu::MenuItemIterator items(menu);
    while (items.next())
    {
        const auto& item = items.getItem();
        if (item.isSeparator)
        {
            entries.push_back({"-", 0, false, depth});
            continue;
        }
        EXPECT_TRUE(item.isEnabled) << item.text;
        entries.push_back({item.text.toStdString(), item.itemID, item.isTicked, depth});
        if (item.subMenu != nullptr)
        {
            const auto inner = entriesOf(*item.subMenu, depth + 1);
            entries.insert(entries.end(), inner.begin(), inner.end());
        }
    }
    return entries;
}

class MenuWatcher : public juce::MenuBarModel::Listener, public juce::ChangeListener
{
  public:
    void menuBarItemsChanged(juce::MenuBarModel*) override { ++itemsChanged; }
    void menuCommandInvoked(juce::MenuBarModel*,
                            const juce::ApplicationCommandTarget::InvocationInfo&) override
    {
    }
    void changeListenerCallback(juce::ChangeBroadcaster*) override { ++changes; }
    int itemsChanged = 0;
    int changes = 0;
};

bool mixerIsZero()
{
    const auto* words = reinterpret_cast<const std::int64_t*>(&MyDeviceMixer);
    for (size_t i = 0; i < sizeof(MyDeviceMixer) / sizeof(std::int64_t); ++i)
        if (words[i] != 0)
            return false;
    return true;
}
} // namespace

TEST_F(PanelInWindow, MenuNamesItemsIdsAndTicks)
{
    EXPECT_EQ(panel->getMenuBarNames(), juce::StringArray({"File", "Config"}));

    EXPECT_EQ(entriesOf(panel->getMenuForIndex(0, "File")),
              (std::vector<Entry>{{"Always on top", 8192, false, 0},
                                  {"-", 0, false, 0},
                                  {"Sound Settings", 8193, false, 0},
                                  {"-", 0, false, 0},
                                  {"Close", 8194, false, 0}}));
    EXPECT_EQ(entriesOf(panel->getMenuForIndex(1, "Config")),
              (std::vector<Entry>{{"Factory Defaults", 8195, false, 0},
                                  {"-", 0, false, 0},
                                  {"Sample rate", 0, false, 0},
                                  {"32000  Hz", 8448, false, 1},
                                  {"44100  Hz", 8449, false, 1},
                                  {"48000  Hz", 8450, false, 1}}));
    EXPECT_EQ(entriesOf(panel->getMenuForIndex(2, "")),
              (std::vector<Entry>{{"About", 8197, false, 0}}));
    EXPECT_EQ(entriesOf(panel->getMenuForIndex(-1, "")),
              (std::vector<Entry>{{"LoopLINE", 8196, false, 0},
                                  {"-", 0, false, 0},
                                  {"Load", 0, false, 0},
                                  {"LoopLINE preset", 9216, false, 1},
                                  {"-", 0, false, 0},
                                  {"Save", 0, false, 0},
                                  {"LoopLINE preset", 9217, false, 1},
                                  {"-", 0, false, 0},
                                  {"Reset", 9218, false, 0}}));
    EXPECT_TRUE(entriesOf(panel->getMenuForIndex(3, "")).empty());
    EXPECT_TRUE(entriesOf(panel->getMenuForIndex(-2, "")).empty());

    // The bar shows the two names.
    EXPECT_EQ(panel->menuBar->getModel()->getMenuBarNames(), juce::StringArray({"File", "Config"}));
}

TEST_F(PanelInWindow, AlwaysOnTopTogglesTheWindowAndItsTick)
{
    ASSERT_FALSE(window->isAlwaysOnTop());
    panel->menuItemSelected(8192, 0);
    EXPECT_TRUE(window->isAlwaysOnTop());
    EXPECT_TRUE(entriesOf(panel->getMenuForIndex(0, "File"))[0].ticked);
    panel->menuItemSelected(8192, 0);
    EXPECT_FALSE(window->isAlwaysOnTop());
    EXPECT_FALSE(entriesOf(panel->getMenuForIndex(0, "File"))[0].ticked);

    // Without a window there is nothing to keep on top.
    window->setAlwaysOnTop(true);
    window->removeChildComponent(panel);
    panel->menuItemSelected(8192, 0);
    EXPECT_FALSE(entriesOf(panel->getMenuForIndex(0, "File"))[0].ticked);
    EXPECT_TRUE(window->isAlwaysOnTop());
    window->addAndMakeVisible(panel);
}

namespace
{
using RateButton = std::unique_ptr<juce::ImageButton> MainComponent::*;

struct RateItemCase
{
    const char* name;
    int item;
    double startRate;
    RateButton button;
    Lines writes;
    const char* ticked;
};

void PrintTo(const RateItemCase& c, std::ostream* out)
{
    *out << c.name;
}

class RateItem : public PanelInWindow, public testing::WithParamInterface<RateItemCase>
{
};

// The outgoing rate button's handler first, then the clicked one's; the
// device here takes 32000 Hz only through its physical format.
const RateItemCase rateItemCases[] = {
    {"rate32000",
     8448,
     48000.0,
     &MainComponent::button32,
     {"dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 48000", "dev pft /****/0 = format 32000",
      "dev pft /****/0 = format 32000"},
     "32000  Hz"},
    {"rate44100",
     8449,
     48000.0,
     &MainComponent::button44,
     {"dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 44100",
      "dev nsrt/****/0 = 44100"},
     "44100  Hz"},
    {"rate48000",
     8450,
     44100.0,
     &MainComponent::button48,
     {"dev nsrt/****/0 = 44100", "dev nsrt/****/0 = 44100", "dev nsrt/****/0 = 48000",
      "dev nsrt/****/0 = 48000"},
     "48000  Hz"},
};
} // namespace

TEST_P(RateItem, ClicksItsButtonAndTicksItsRateOnly)
{
    const auto& c = GetParam();
    auto config = sim::InterfaceConfig::standard();
    config.audioDevices[0].sampleRate = c.startRate;
    attach(config);
    sim::clearRecords();

    panel->menuItemSelected(c.item, 1);
    ASSERT_TRUE(pumpUntil([&] { return (panel->*c.button)->getToggleState(); }));
    settle();

    EXPECT_EQ(writeLines(), c.writes);
    for (auto button :
         {&MainComponent::button32, &MainComponent::button44, &MainComponent::button48})
        EXPECT_EQ((panel->*button)->getToggleState(), button == c.button)
            << (panel->*button)->getName();
    std::vector<std::string> ticked;
    for (const auto& entry : entriesOf(panel->getMenuForIndex(1, "Config")))
        if (entry.ticked)
            ticked.push_back(entry.text);
    EXPECT_EQ(ticked, std::vector<std::string>{c.ticked});
}

INSTANTIATE_TEST_SUITE_P(EveryRate, RateItem, testing::ValuesIn(rateItemCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelInWindow, RateItemsWhileDetachedDoNothing)
{
    sim::clearRecords();
    panel->menuItemSelected(8450, 1);
    pumpFor(30);
    EXPECT_FALSE(panel->button48->getToggleState());
    EXPECT_EQ(writeLines(), Lines{});
}

TEST_F(PanelInWindow, FactoryDefaultsItem)
{
    attach();
    click(*panel->buttonCon);
    settle();
    panel->menuItemSelected(8195, 1);
    EXPECT_TRUE(panel->buttonPro->getToggleState());
}

TEST_F(PanelInWindow, EveryCommandSendsAChangeAndRebuildsTheMenus)
{
    MenuWatcher watcher;
    panel->addListener(&watcher);
    panel->addChangeListener(&watcher);
    sim::clearRecords();

    for (int id : {8198, 8704, 0, -1})
    {
        SCOPED_TRACE(id);
        const int changesBefore = watcher.changes;
        const int rebuildsBefore = watcher.itemsChanged;
        panel->menuItemSelected(id, 0);
        ASSERT_TRUE(pumpUntil(
            [&]
            { return watcher.changes > changesBefore && watcher.itemsChanged > rebuildsBefore; }));
    }
    EXPECT_EQ(writeLines(), Lines{});
    EXPECT_EQ(reportLines(), Lines{});
    EXPECT_FALSE(window->isAlwaysOnTop());
    EXPECT_FALSE(panel->aboutDialog->isVisible());

    panel->removeChangeListener(&watcher);
    panel->removeListener(&watcher);
}

TEST_F(PanelInWindow, AudioSettingsLogsWhatItStarted)
{
    struct Outcome
    {
        const char* startable; // the one program that starts, or none
        const char* line;
    };
    for (const auto& outcome :
         {Outcome{"pavucontrol", "Sound Settings: started pavucontrol\n"},
          Outcome{"gnome-control-center", "Sound Settings: started gnome-control-center sound\n"},
          Outcome{"", "Sound Settings: none found (tried pavucontrol, pwvucontrol, "
                      "gnome-control-center)\n"}})
    {
        juce::StringArray tried;
        setCommandRunner(
            [&](const juce::StringArray& command)
            {
                tried.add(command[0]);
                return command[0] == outcome.startable;
            });
        juce::String logged;
        {
            StandardErrorCapture capture;
            panel->menuItemSelected(8193, 0);
            logged = capture.text();
        }
        setCommandRunner({});
        EXPECT_EQ(logged, outcome.line);
        EXPECT_EQ(tried[0], "pavucontrol");
    }
}

TEST_F(PanelInWindow, AboutDialogSitsBelowThePanelAndEndsByItsCloseButton)
{
    juce::Point<int> shownAt;
    bool wasModal = false;
    int nativeStyle = 0;
    juce::MessageManager::callAsync(
        [this, &shownAt, &wasModal, &nativeStyle]
        {
            wasModal = panel->aboutDialog->isCurrentlyModal();
            shownAt = panel->aboutDialog->getScreenPosition();
            if (auto* peer = panel->aboutDialog->getPeer())
                nativeStyle = peer->getStyleFlags();
            panel->aboutWindow->closeButton->triggerClick();
        });
    panel->menuItemSelected(8197, 2);

    EXPECT_TRUE(wasModal);
    // Shown in a native window of its own, with the desktop's title bar.
    EXPECT_NE(nativeStyle & juce::ComponentPeer::windowHasTitleBar, 0);
    EXPECT_EQ(shownAt, panel->getScreenPosition().translated(0, 50));
    EXPECT_FALSE(panel->aboutDialog->isVisible());
    EXPECT_FALSE(panel->aboutDialog->isCurrentlyModal());
    EXPECT_FALSE(panel->aboutDialog->isResizable());

    // A second showing follows the panel.
    window->setTopLeftPosition(200, 150);
    ASSERT_TRUE(pumpUntil([this] { return panel->getScreenPosition().x >= 200; }));
    juce::MessageManager::callAsync(
        [this, &shownAt]
        {
            shownAt = panel->aboutDialog->getScreenPosition();
            panel->aboutWindow->closeButton->triggerClick();
        });
    panel->menuItemSelected(8197, 2);
    EXPECT_EQ(shownAt, panel->getScreenPosition().translated(0, 50));
}

TEST_F(PanelInWindow, AboutDialogEndsByEscape)
{
    bool escaped = false;
    juce::MessageManager::callAsync(
        [this, &escaped]
        {
            auto* peer = panel->aboutDialog->getPeer();
            if (peer == nullptr)
                return panel->aboutDialog->exitModalState(1);
            escaped = peer->handleKeyPress(juce::KeyPress(juce::KeyPress::escapeKey));
        });
    panel->menuItemSelected(8197, 2);
    EXPECT_TRUE(escaped);
    EXPECT_FALSE(panel->aboutDialog->isVisible());
}

TEST_F(PanelInWindow, ADetachHidesTheAboutDialog)
{
    panel->aboutDialog->setVisible(true);
    MainComponent::OnApiCallback(panel, nullptr, TAVRIN_CB_UNPLUGGED);
    EXPECT_FALSE(panel->aboutDialog->isVisible());
}

TEST_F(PanelInWindow, RoutingRecordAfterTheFirstAndSecondUse)
{
    struct Use
    {
        int command;
        bool patterned;
    };
    // The uses count together, whichever item made them.
    for (const auto& use :
         {Use{8196, false}, Use{8196, true}, Use{9218, false}, Use{9218, true}, Use{8196, false}})
    {
        SCOPED_TRACE(use.command);
        panel->menuItemSelected(use.command, -1);
        if (!use.patterned)
        {
            EXPECT_TRUE(mixerIsZero());
            continue;
        }
        const auto& e18 = MyDeviceMixer.entries[18];
        const auto& e24 = MyDeviceMixer.entries[24];
        EXPECT_EQ((std::vector<std::int64_t>{e18.w1, e18.w2, e18.w3, e18.w4, e18.w5}),
                  (std::vector<std::int64_t>{0, 1, 0, 0, 0}));
        EXPECT_EQ((std::vector<std::int64_t>{e24.w1, e24.w2, e24.w3, e24.w4, e24.w5}),
                  (std::vector<std::int64_t>{1, 0, 2, 1, 2}));
        auto rest = MyDeviceMixer;
        rest.entries[18] = {};
        rest.entries[24] = {};
        const auto* words = reinterpret_cast<const std::int64_t*>(&rest);
        for (size_t i = 0; i < sizeof(rest) / sizeof(std::int64_t); ++i)
            EXPECT_EQ(words[i], 0) << i;
    }
    EXPECT_EQ(writeLines(), Lines{});
    EXPECT_EQ(reportLines(), Lines{});
}

TEST_F(PanelInWindow, PresetItemsOnlyReadTheStoredPath)
{
    panel->menuItemSelected(9216, -1);
    panel->menuItemSelected(9217, -1);
    pumpFor(20);
    EXPECT_FALSE(settingsFile().existsAsFile());
    EXPECT_TRUE(mixerIsZero());
}

TEST_F(PanelInWindow, QuittingWithAMenuOpenClosesItFirst)
{
    attach();
    panel->menuBar->showMenu(1);
    auto& modal = *juce::ModalComponentManager::getInstance();
    ASSERT_TRUE(pumpUntil([&] { return modal.getNumModalComponents() > 0; }));

    deletePanel();
    EXPECT_TRUE(pumpUntil([&] { return modal.getNumModalComponents() == 0; }));
}
