#include "FaderGroupFixture.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using widgettest::Direction;
using widgettest::FaderGroup;
using widgettest::MessageCollector;
using widgettest::mouseEvent;
using widgettest::mouseEventAt;

namespace
{
const juce::Point<int> groupOnScreen{200, 200};
// Over the inner halves of both faders, and over the outer half of the left one.
const juce::Point<int> inZone = groupOnScreen + juce::Point<int>(16, 90);
const juce::Point<int> outsideZone = groupOnScreen + juce::Point<int>(4, 90);
const juce::Point<int> farAway{900, 900};

// Drags a fader from one point to another with one drag event in between.
void dragFader(juce::Slider& fader, juce::Point<float> from, juce::Point<float> to)
{
    fader.mouseDown(mouseEventAt(fader, from, juce::ModifierKeys::leftButtonModifier));
    fader.mouseDrag(
        mouseEvent(fader, (from + to) / 2.0f, from, juce::ModifierKeys::leftButtonModifier));
    fader.mouseDrag(mouseEvent(fader, to, from, juce::ModifierKeys::leftButtonModifier));
    fader.mouseUp(mouseEvent(fader, to, from));
}

class FaderGroupOnDesktop : public testing::Test
{
  protected:
    void SetUp() override { widgettest::movePointerTo(farAway); }
    void TearDown() override { widgettest::movePointerTo(farAway); }

    bool becomesLinked(bool linked)
    {
        return k71test::pumpUntil([&] { return faders.group.isLinked() == linked; }, 1000);
    }

    FaderGroup faders{Direction::input};
    widgettest::OnDesktop shown{faders.group, groupOnScreen};
    MessageCollector collector{faders.group};
};

TEST_F(FaderGroupOnDesktop, PointerRestingInTheZoneLinksAndSwapsThumbs)
{
    auto& look = faders.look;
    EXPECT_FALSE(faders.group.isLinked());

    widgettest::movePointerTo(inZone);
    ASSERT_TRUE(becomesLinked(true));
    EXPECT_EQ(look.currentThumb.getPixelData(), look.linkedThumb.getPixelData());

    // A later poll in the same state swaps nothing.
    const auto marker = widgettest::solidImage(15, 19, juce::Colours::orange);
    look.currentThumb = marker;
    k71test::pumpFor(450);
    EXPECT_EQ(look.currentThumb.getPixelData(), marker.getPixelData());

    widgettest::movePointerTo(outsideZone);
    ASSERT_TRUE(becomesLinked(false));
    EXPECT_EQ(look.currentThumb.getPixelData(), look.normalThumb.getPixelData());
}

TEST_F(FaderGroupOnDesktop, LinkedDragMovesThePartnerSilently)
{
    auto& group = faders.group;
    group.setLevels(-20.0, -10.0);
    collector.take();
    widgettest::SliderChangeCounter leftChanges(group.leftSlider);
    widgettest::SliderChangeCounter rightChanges(group.rightSlider);

    widgettest::movePointerTo(inZone);
    ASSERT_TRUE(becomesLinked(true));
    dragFader(group.leftSlider, {8.0f, 100.0f}, {8.0f, 75.0f});

    const double leftMove = group.leftSlider.getValue() + 20.0;
    EXPECT_GT(leftMove, 1.0);
    EXPECT_DOUBLE_EQ(group.rightSlider.getValue(), -10.0 + leftMove);
    EXPECT_EQ(rightChanges.changes, 0);
    EXPECT_TRUE(collector.messages.isEmpty()) << "messages are posted, not sent at once";
    const auto messages = collector.take();
    EXPECT_EQ(messages.size(), leftChanges.changes);
    for (const auto& message : messages)
        EXPECT_EQ(message, "volume_update");
}

TEST_F(FaderGroupOnDesktop, UnlinkedDragMovesOnlyTheDraggedFader)
{
    auto& group = faders.group;
    group.setLevels(-20.0, -10.0);
    widgettest::movePointerTo(outsideZone);
    k71test::pumpFor(250);
    ASSERT_FALSE(group.isLinked());

    dragFader(group.leftSlider, {8.0f, 100.0f}, {8.0f, 75.0f});

    EXPECT_GT(group.leftSlider.getValue(), -19.0);
    EXPECT_EQ(group.rightSlider.getValue(), -10.0);
}

TEST_F(FaderGroupOnDesktop, HeldButtonKeepsTheLinkUntilReleased)
{
    auto& group = faders.group;
    widgettest::movePointerTo(inZone);
    ASSERT_TRUE(becomesLinked(true));

    // Polled by hand so that no X event can refresh the modifier state between the steps.
    group.stopTimer();
    widgettest::movePointerTo(farAway);
    const auto before = juce::ModifierKeys::currentModifiers;
    juce::ModifierKeys::currentModifiers = before.withFlags(juce::ModifierKeys::leftButtonModifier);
    group.timerCallback();
    EXPECT_TRUE(group.isLinked());

    juce::ModifierKeys::currentModifiers = before.withoutMouseButtons();
    group.timerCallback();
    EXPECT_FALSE(group.isLinked());
    EXPECT_EQ(faders.look.currentThumb.getPixelData(), faders.look.normalThumb.getPixelData());
}

TEST_F(FaderGroupOnDesktop, LinkChangeRepaintsBothFaders)
{
    auto& group = faders.group;
    auto& paints = faders.look.paints;
    // Linked by hand: the pointer stays away, so no hover repaints a fader.
    group.stopTimer();
    const std::vector<juce::Point<float>> positions{{16.0f, 90.0f}, {50.0f, 180.0f}};
    for (const auto& position : positions)
    {
        group.mouseMove(mouseEventAt(group, position));
        k71test::pumpFor(100);
        paints.clear();

        group.switchLookAndFeel();

        SCOPED_TRACE(group.isLinked() ? "linked" : "unlinked");
        EXPECT_TRUE(k71test::pumpUntil(
            [&] { return paints[&group.leftSlider] > 0 && paints[&group.rightSlider] > 0; }, 3000));
    }
}

TEST_F(FaderGroupOnDesktop, WheelOverALinkedFaderStepsBothFromFreshValues)
{
    auto& group = faders.group;
    group.setLevels(-20.0, -10.0);
    // Moved behind the group's back: the wheel step must count from here.
    group.leftSlider.setValue(-30.0, juce::dontSendNotification);
    widgettest::movePointerTo(inZone);
    ASSERT_TRUE(becomesLinked(true));

    group.leftSlider.mouseWheelMove(mouseEventAt(group.leftSlider, {8.0f, 90.0f}),
                                    widgettest::wheel(0.5f));

    const double leftMove = group.leftSlider.getValue() + 30.0;
    EXPECT_GT(leftMove, 0.0);
    EXPECT_DOUBLE_EQ(group.rightSlider.getValue(), -10.0 + leftMove);
}

TEST(FaderGroupLinkedFollow, PartnerAtARangeEndStaysThereAndTheOffsetShrinks)
{
    FaderGroup faders(Direction::input);
    auto& group = faders.group;
    juce::ToggleButton link;
    link.setToggleState(true, juce::dontSendNotification);
    group.linkButton = &link;
    group.setLevels(8.0, 12.0);

    group.leftSlider.setValue(10.0, juce::sendNotificationSync);
    EXPECT_EQ(group.rightSlider.getValue(), 12.0);

    group.leftSlider.setValue(9.0, juce::sendNotificationSync);
    EXPECT_EQ(group.rightSlider.getValue(), 11.0);
    group.linkButton = nullptr;
}

TEST(FaderGroupLink, LinkButtonWhenSetDecidesInsteadOfThePointer)
{
    FaderGroup faders(Direction::input);
    auto& group = faders.group;
    juce::ToggleButton link;
    group.linkButton = &link;

    group.mouseMove(mouseEventAt(group, {16.0f, 90.0f}));
    EXPECT_TRUE(group.isMouseInZone());
    EXPECT_FALSE(group.isLinked());
    group.switchLookAndFeel();
    EXPECT_NE(faders.look.currentThumb.getPixelData(), faders.look.linkedThumb.getPixelData());

    link.setToggleState(true, juce::dontSendNotification);
    group.mouseMove(mouseEventAt(group, {50.0f, 180.0f}));
    EXPECT_TRUE(group.isLinked());
    group.switchLookAndFeel();
    EXPECT_EQ(faders.look.currentThumb.getPixelData(), faders.look.linkedThumb.getPixelData());
    group.linkButton = nullptr;
}

TEST(FaderGroupLink, ZoneIsHalfOpenAtItsFarEdges)
{
    FaderGroup faders(Direction::input);
    auto& group = faders.group;
    struct Point
    {
        float x, y;
        bool inside;
    };
    // Zone (8, 7, 17, 162): columns 8 to 24, rows 7 to 168.
    for (const auto& p : {Point{8, 7, true}, Point{24, 168, true}, Point{7, 100, false},
                          Point{25, 100, false}, Point{16, 6, false}, Point{16, 169, false},
                          Point{24.4f, 168.4f, true}, Point{24.6f, 100, false}})
    {
        group.mouseMove(mouseEventAt(group, {p.x, p.y}));
        EXPECT_EQ(group.isMouseInZone(), p.inside) << p.x << "," << p.y;
        group.mouseDown(mouseEventAt(group, {p.x, p.y}));
        EXPECT_EQ(group.isMouseInZone(), p.inside) << p.x << "," << p.y;
    }
}

class FaderGroupMessages : public testing::Test
{
  protected:
    // The pointer poll reads the real pointer, which is not where the events
    // below say it is: without it only the events decide the link.
    FaderGroupMessages() { group.stopTimer(); }

    // Links the group the way a press in the zone does.
    void pressInZone() { group.mouseDown(mouseEventAt(group, {16.0f, 90.0f})); }

    void levels(double left, double right)
    {
        group.setLevels(left, right);
        collector.take();
    }

    FaderGroup input{Direction::input};
    SliderStereoGroup& group = input.group;
    MessageCollector collector{group};
};

TEST_F(FaderGroupMessages, DragOnTheGroupStepsByTheRoundedDistanceFromThePress)
{
    struct DragCase
    {
        std::vector<float> distances; // of successive drag events from the press
        juce::StringArray messages;
        double left, right;
    };
    const juce::String lowered = "volume_update-", raised = "volume_update+";
    // Input step is about 1.385 dB; the faders keep quarter dB steps.
    const std::vector<DragCase> cases{
        {{0.4f}, {}, -10.0, -5.0},
        {{0.5f}, {}, -10.0, -5.0},
        {{-0.5f}, {}, -10.0, -5.0},
        {{0.6f}, {lowered}, -11.5, -6.5},
        {{1.5f}, {lowered}, -11.5, -6.5},
        {{-1.5f}, {raised}, -8.5, -3.5},
        {{2.5f}, {lowered}, -11.5, -6.5},
        // Held above the press: every drag event raises again.
        {{-3.0f, -2.0f, -1.0f}, {raised, raised, raised}, -5.5, -0.5},
    };
    for (const auto& c : cases)
    {
        levels(-10.0, -5.0);
        pressInZone();
        const juce::Point<float> press{16.0f, 90.0f};
        for (float distance : c.distances)
            group.mouseDrag(mouseEvent(group, press.translated(0.0f, distance), press));
        SCOPED_TRACE(c.distances.front());
        EXPECT_EQ(collector.take(), c.messages);
        EXPECT_EQ(group.leftSlider.getValue(), c.left);
        EXPECT_EQ(group.rightSlider.getValue(), c.right);
    }
}

TEST_F(FaderGroupMessages, DragAndWheelOnTheGroupDoNothingUnlinked)
{
    levels(-10.0, -5.0);
    group.mouseDown(mouseEventAt(group, {50.0f, 90.0f}));
    group.mouseDrag(mouseEvent(group, {50.0f, 120.0f}, {50.0f, 90.0f}));
    group.mouseWheelMove(mouseEventAt(group, {50.0f, 90.0f}), widgettest::wheel(1.0f));
    EXPECT_TRUE(collector.take().isEmpty());
    EXPECT_EQ(group.leftSlider.getValue(), -10.0);
}

TEST_F(FaderGroupMessages, WheelOnTheLinkedGroupStepsByItsSign)
{
    levels(-10.0, -5.0);
    pressInZone();
    group.mouseWheelMove(mouseEventAt(group, {16.0f, 90.0f}), widgettest::wheel(0.0f));
    EXPECT_TRUE(collector.take().isEmpty());

    group.mouseWheelMove(mouseEventAt(group, {16.0f, 90.0f}), widgettest::wheel(0.25f));
    EXPECT_EQ(collector.take(), juce::StringArray("volume_update-"));
    EXPECT_EQ(group.leftSlider.getValue(), -11.5);

    group.mouseWheelMove(mouseEventAt(group, {16.0f, 90.0f}), widgettest::wheel(-0.25f));
    EXPECT_EQ(collector.take(), juce::StringArray("volume_update+"));
    EXPECT_EQ(group.leftSlider.getValue(), -10.0);
    EXPECT_EQ(group.rightSlider.getValue(), -5.0);
}

TEST(FaderGroupOutput, LinkedStepsKeepTheValuesButStillAnnounce)
{
    FaderGroup output(Direction::output);
    MessageCollector collector(output.group);
    output.group.setLevels(-20.0, -30.0);
    collector.take();

    output.group.moveLinkedSliders(+1);
    output.group.moveLinkedSliders(-1);

    EXPECT_EQ(collector.take(), juce::StringArray("volume_update-", "volume_update+"));
    EXPECT_EQ(output.group.leftSlider.getValue(), -20.0);
    EXPECT_EQ(output.group.rightSlider.getValue(), -30.0);
}

TEST_F(FaderGroupMessages, DoubleClickBesideTheFadersResetsBoth)
{
    levels(-10.0, 5.0);
    widgettest::SliderChangeCounter leftChanges(group.leftSlider);

    group.mouseDoubleClick(mouseEventAt(group, {50.0f, 180.0f}, {}, 2));

    EXPECT_EQ(group.leftSlider.getValue(), 0.0);
    EXPECT_EQ(group.rightSlider.getValue(), 0.0);
    EXPECT_EQ(leftChanges.changes, 0);
    EXPECT_EQ(collector.take(), juce::StringArray("volume_update"));
}

// Records the fader values at the moment each message arrives.
struct ValuesAtDelivery : juce::ActionListener
{
    explicit ValuesAtDelivery(SliderStereoGroup& g) : group(g) { group.addActionListener(this); }
    ~ValuesAtDelivery() override { group.removeActionListener(this); }
    void actionListenerCallback(const juce::String&) override
    {
        seen.push_back({group.leftSlider.getValue(), group.rightSlider.getValue()});
    }
    SliderStereoGroup& group;
    std::vector<std::pair<double, double>> seen;
};

TEST(FaderGroupLevels, AnnouncesOnlyTheChangedSideAfterSettingItSilently)
{
    FaderGroup output(Direction::output);
    auto& group = output.group;
    MessageCollector collector(group);
    group.setLevels(0.0, -3.0);
    collector.take();
    ValuesAtDelivery delivery(group);
    widgettest::SliderChangeCounter leftChanges(group.leftSlider);

    group.setLevels(-3.0, -3.0);

    EXPECT_TRUE(collector.messages.isEmpty());
    EXPECT_EQ(collector.take(), juce::StringArray("volume_updateLeftsliderGroupOut"));
    ASSERT_EQ(delivery.seen.size(), 1u);
    EXPECT_EQ(delivery.seen[0], std::make_pair(-3.0, -3.0));
    EXPECT_EQ(leftChanges.changes, 0);

    group.setLevels(-3.0, -3.0);
    EXPECT_TRUE(collector.take().isEmpty());

    group.setLevels(-6.0, -9.0);
    EXPECT_EQ(collector.take(), juce::StringArray("volume_updateLeftsliderGroupOut",
                                                  "volume_updateRightsliderGroupOut"));
}

TEST(FaderGroupLevels, NamesComeFromTheComponentsWhenTheMessageIsBuilt)
{
    FaderGroup input(Direction::input);
    MessageCollector collector(input.group);
    input.group.setName("renamed");
    input.group.rightSlider.setName("R");
    input.group.setLevels(0.0, 4.0);
    EXPECT_EQ(collector.take(), juce::StringArray("volume_updateRrenamed"));
}

TEST(FaderGroupLevels, NotANumberIsAnnouncedButNeverPutIntoAFader)
{
    FaderGroup input(Direction::input);
    MessageCollector collector(input.group);
    input.group.setLevels(-6.0, -6.0);
    collector.take();
    const double nan = std::numeric_limits<double>::quiet_NaN();

    input.group.setLevels(nan, -6.0);

    EXPECT_EQ(collector.take(), juce::StringArray("volume_updateLeftsliderGroupIn"));
    EXPECT_EQ(input.group.leftSlider.getValue(), -6.0);

    // A linked follow afterwards is still counted from a real value.
    juce::ToggleButton link;
    link.setToggleState(true, juce::dontSendNotification);
    input.group.linkButton = &link;
    input.group.leftSlider.setValue(-5.0, juce::sendNotificationSync);
    EXPECT_EQ(input.group.rightSlider.getValue(), -5.0);
    input.group.linkButton = nullptr;
}

TEST(FaderGroupLooks, RemovingTheLookLeavesTheStockOne)
{
    auto& stock = juce::LookAndFeel::getDefaultLookAndFeel();
    SliderStereoGroup bare("sliderGroupIn", 0);
    bare.removeLookAndFeel();
    EXPECT_EQ(&bare.leftSlider.getLookAndFeel(), &stock);

    FaderGroup input(Direction::input);
    EXPECT_EQ(&input.group.rightSlider.getLookAndFeel(), &input.look);
    input.group.removeLookAndFeel();
    EXPECT_EQ(&input.group.leftSlider.getLookAndFeel(), &stock);
    EXPECT_EQ(&input.group.rightSlider.getLookAndFeel(), &stock);
}
} // namespace
