// The panel as it stands after construction, and its layout at two sizes.
#include "PanelFixture.h"
#include "resources/BinaryData.h"
#include "support/Pixels.h"

using namespace k71test;

namespace
{
std::vector<juce::Button*> controlButtons(MainComponent& panel)
{
    return {
        panel.button32.get(),     panel.button44.get(),      panel.button48.get(),
        panel.buttonAnalog.get(), panel.buttonDigital.get(), panel.buttonPro.get(),
        panel.buttonCon.get(),    panel.buttonCopy.get(),    panel.buttonNoneCopy.get(),
        panel.buttonMuteIn.get(), panel.buttonMuteOut.get(), panel.buttonToggleMonitoring.get()};
}

struct Rect
{
    const char* control;
    int x, y, w, h;
};

juce::Component* controlNamed(MainComponent& panel, const juce::String& name)
{
    if (name == "labelIn")
        return panel.levelLabelIn.get();
    if (name == "labelOut")
        return panel.levelLabelOut.get();
    for (auto* child : panel.getChildren())
        if (child->getName() == name)
            return child;
    return nullptr;
}

void expectLayout(MainComponent& panel, const std::vector<Rect>& expected)
{
    for (const auto& rect : expected)
    {
        SCOPED_TRACE(rect.control);
        auto* control = controlNamed(panel, rect.control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->getBounds(), juce::Rectangle<int>(rect.x, rect.y, rect.w, rect.h));
    }
}
// The buttons' artwork, decoded apart from the image cache.
juce::Image artwork(int number)
{
    struct Art
    {
        int number;
        const char* data;
        int size;
    };
#define K71_ART(n)                                                                                 \
    {                                                                                              \
        n, DEDEVUZIZ::temp_binary_data_##n, DEDEVUZIZ::temp_binary_data_##n##Size                  \
    }
    static const Art buttonArtwork[] = {
        K71_ART(0),  K71_ART(1),  K71_ART(2),  K71_ART(3),  K71_ART(4),  K71_ART(5),
        K71_ART(10), K71_ART(11), K71_ART(12), K71_ART(13), K71_ART(14), K71_ART(15),
        K71_ART(16), K71_ART(17), K71_ART(21), K71_ART(22), K71_ART(24), K71_ART(25),
        K71_ART(26), K71_ART(27), K71_ART(28), K71_ART(29), K71_ART(32), K71_ART(33),
    };
#undef K71_ART
    for (const auto& art : buttonArtwork)
        if (art.number == number)
            return juce::ImageFileFormat::loadFrom(art.data, (size_t)art.size);
    return {};
}

testing::AssertionResult showsArtwork(const juce::Image& shown, int number)
{
    const auto expected = artwork(number);
    if (showsPartOf(shown, expected, expected.getBounds()))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "not artwork " << number;
}
} // namespace

TEST_F(PanelInWindow, StartsDarkWithEveryWidgetInItsDetachedState)
{
    EXPECT_EQ(panel->getWidth(), 400);
    EXPECT_EQ(panel->getHeight(), 300 + panel->menuBarHeight);
    EXPECT_EQ(panel->designWidth, 400.0);
    EXPECT_EQ(panel->designHeight, 300.0);
    EXPECT_FALSE(panel->deviceAttached);

    for (auto* button : controlButtons(*panel))
    {
        SCOPED_TRACE(button->getName());
        EXPECT_TRUE(button->isVisible());
        EXPECT_FALSE(button->isEnabled());
        EXPECT_FALSE(button->getToggleState());
        EXPECT_EQ(button->getParentComponent(), panel);
        EXPECT_EQ(button->getButtonText(), button->getName());
    }
    EXPECT_FALSE(panel->buttonLink->isVisible());
    EXPECT_FALSE(panel->buttonLink->isEnabled());
    EXPECT_TRUE(panel->buttonLink->getToggleState());

    EXPECT_EQ(panel->button32->getRadioGroupId(), 1001);
    EXPECT_EQ(panel->button48->getRadioGroupId(), 1001);
    EXPECT_EQ(panel->buttonDigital->getRadioGroupId(), 1101);
    EXPECT_EQ(panel->buttonCon->getRadioGroupId(), 1201);
    EXPECT_EQ(panel->buttonNoneCopy->getRadioGroupId(), 1301);
    EXPECT_EQ(panel->buttonMuteIn->getRadioGroupId(), 0);

    for (auto* group : {panel->sliderGroupIn.get(), panel->sliderGroupOut.get()})
    {
        EXPECT_FALSE(group->isVisible());
        EXPECT_FALSE(group->isEnabled());
    }
    EXPECT_EQ(panel->sliderGroupIn->getName(), "sliderGroupIn");
    EXPECT_EQ(panel->sliderGroupOut->getName(), "sliderGroupOut");

    for (auto* label : {panel->levelLabelIn.get(), panel->levelLabelInRight.get(),
                        panel->levelLabelOut.get(), panel->levelLabelOutRight.get()})
    {
        EXPECT_EQ(label->getText(), "");
        EXPECT_EQ(&label->getLookAndFeel(), &panel->dBLabelLook);
    }
    EXPECT_EQ(panel->levelLabelIn->getParentComponent(), panel);
    EXPECT_EQ(panel->levelLabelOut->getParentComponent(), panel);
    EXPECT_EQ(panel->levelLabelInRight->getParentComponent(), nullptr);
    EXPECT_EQ(panel->levelLabelOutRight->getParentComponent(), nullptr);
    EXPECT_EQ(panel->levelLabelIn->findColour(juce::Label::textColourId), juce::Colours::black);
    EXPECT_EQ(panel->levelLabelIn->getJustificationType(), juce::Justification::left);

    for (auto* meter : {panel->levelMeter1.get(), panel->levelMeter2.get(),
                        panel->levelMeter3.get(), panel->levelMeter4.get()})
    {
        EXPECT_EQ(meter->getParentComponent(), nullptr);
        EXPECT_FALSE(meter->isVisible());
        EXPECT_FALSE(meter->isEnabled());
    }

    EXPECT_FALSE(panel->aboutDialog->isVisible());
    EXPECT_EQ(panel->looplineWindow, nullptr);
    EXPECT_EQ(panel->looplineDialog, nullptr);
    EXPECT_TRUE(panel->isTimerRunning(MainComponent::idleTimer));
    EXPECT_EQ(mydeviceStruct.userData.load(), panel);
    EXPECT_EQ(mydeviceStruct.eventCallback.load(), &MainComponent::OnApiCallback);
}

TEST_F(PanelInWindow, MenusShowInTheInWindowBarWithItsLook)
{
    EXPECT_EQ(panel->menuBar->getModel(), panel);
    EXPECT_EQ(&panel->menuBar->getLookAndFeel(), panel->menuBarLook.get());
    EXPECT_EQ(panel->menuBarHeight, panel->menuBarLook->getDefaultMenuBarHeight());
    EXPECT_GT(panel->menuBarHeight, 0);
    EXPECT_EQ(panel->menuBar->getBounds(), juce::Rectangle<int>(0, 0, 400, panel->menuBarHeight));
    EXPECT_TRUE(panel->menuBar->isVisible());
    for (auto* group : {panel->sliderGroupIn.get(), panel->sliderGroupOut.get()})
    {
        EXPECT_EQ(group->menuOffset, panel->menuBarHeight);
        EXPECT_EQ(group->groupBaseBounds[3], 58);
    }
}

TEST_F(PanelInWindow, LayoutAtTheDesignSizeBelowTheBar)
{
    ASSERT_EQ(panel->menuBarHeight, 24);
    panel->setSize(400, 324);
    expectLayout(*panel, {
                             {"MuteIn", 96, 288, 47, 21},
                             {"MuteOut", 184, 288, 47, 21},
                             {"Analog", 17, 93, 55, 21},
                             {"Digital", 17, 120, 55, 21},
                             {"48", 299, 74, 63, 21},
                             {"44", 299, 98, 63, 21},
                             {"32", 299, 122, 63, 21},
                             {"Pro", 293, 200, 75, 21},
                             {"Con", 293, 224, 75, 21},
                             {"NoneCopy", 287, 258, 86, 21},
                             {"Copy", 287, 282, 86, 21},
                             {"buttonToggleMonitoring", 134, 56, 54, 17},
                             {"LINK", 338, 28, 28, 17},
                             {"labelIn", 98, 260, 43, 15},
                             {"labelOut", 186, 260, 43, 15},
                         });
    // The fader slots of the background, moved down by the bar.
    EXPECT_EQ(panel->sliderGroupIn->getBounds(), juce::Rectangle<int>(102, 82, 65, 195));
    EXPECT_EQ(panel->sliderGroupOut->getBounds(), juce::Rectangle<int>(192, 82, 65, 195));
    EXPECT_EQ(panel->backgroundImage.getBounds(), juce::Rectangle<int>(0, 0, 400, 300));
    EXPECT_EQ(panel->menuBar->getBounds(), juce::Rectangle<int>(0, 0, 400, 24));
}

TEST_F(PanelInWindow, LayoutAtTheLargestSize)
{
    panel->setSize(640, 580);
    expectLayout(*panel, {
                             {"MuteIn", 153, 513, 75, 40},
                             {"MuteOut", 294, 513, 75, 40},
                             {"Analog", 27, 151, 88, 40},
                             {"Digital", 27, 203, 88, 40},
                             {"48", 478, 116, 100, 40},
                             {"44", 478, 161, 100, 40},
                             {"32", 478, 205, 100, 40},
                             {"Pro", 468, 350, 120, 40},
                             {"Con", 468, 394, 120, 40},
                             {"NoneCopy", 459, 459, 137, 40},
                             {"Copy", 459, 504, 137, 40},
                             {"buttonToggleMonitoring", 214, 83, 86, 31},
                             {"LINK", 542, 31, 45, 32},
                             {"labelIn", 156, 461, 68, 29},
                             {"labelOut", 297, 461, 68, 29},
                         });
    // sx = 1.6, sy = 556 / 300.
    EXPECT_EQ(panel->sliderGroupIn->getBounds(), juce::Rectangle<int>(163, 131, 104, 361));
    EXPECT_EQ(panel->sliderGroupOut->getBounds(), juce::Rectangle<int>(307, 131, 104, 361));
    EXPECT_EQ(panel->backgroundImage.getBounds(), juce::Rectangle<int>(0, 0, 640, 556));
    EXPECT_EQ(panel->menuBar->getBounds(), juce::Rectangle<int>(0, 0, 640, 24));

    // The layout follows the size only: back at the design size, the same
    // rectangles as ever.
    panel->setSize(400, 324);
    EXPECT_EQ(panel->buttonPro->getBounds(), juce::Rectangle<int>(293, 200, 75, 21));
    EXPECT_EQ(panel->sliderGroupIn->getBounds(), juce::Rectangle<int>(102, 82, 65, 195));
}

TEST_F(PanelInWindow, ASizeWithoutRoomKeepsTheBackgroundAndStillLaysOut)
{
    panel->setSize(640, 580);
    // Out of the window, which would not shrink to nothing.
    window->removeChildComponent(panel);
    panel->setSize(400, 0);
    EXPECT_EQ(panel->backgroundImage.getBounds(), juce::Rectangle<int>(0, 0, 640, 556));
    EXPECT_EQ(panel->menuBar->getBounds(), juce::Rectangle<int>(0, 0, 400, 0));
    EXPECT_EQ(panel->buttonMuteIn->getBounds(), juce::Rectangle<int>(96, 24, 47, 0));
    window->addAndMakeVisible(panel);
}

TEST_F(PanelInWindow, ImagePairsAndOverOpacities)
{
    struct Pair
    {
        juce::ImageButton* button;
        int normal;
        int on;
    };
    const Pair pairs[] = {
        {panel->button44.get(), 2, 3},         {panel->button48.get(), 4, 5},
        {panel->button32.get(), 0, 1},         {panel->buttonMuteOut.get(), 26, 27},
        {panel->buttonMuteIn.get(), 26, 27},   {panel->buttonAnalog.get(), 10, 11},
        {panel->buttonDigital.get(), 16, 17},  {panel->buttonPro.get(), 32, 33},
        {panel->buttonCon.get(), 12, 13},      {panel->buttonCopy.get(), 14, 15},
        {panel->buttonNoneCopy.get(), 28, 29}, {panel->buttonToggleMonitoring.get(), 24, 25},
        {panel->buttonLink.get(), 21, 22},
    };
    for (const auto& pair : pairs)
    {
        SCOPED_TRACE(pair.button->getName());
        EXPECT_TRUE(showsArtwork(pair.button->getNormalImage(), pair.normal));
        EXPECT_TRUE(showsArtwork(pair.button->getOverImage(), pair.normal));
        EXPECT_TRUE(showsArtwork(pair.button->getDownImage(), pair.on));
    }

    // Under the mouse a rate button fades to half its opacity, a mute button
    // stays as it is. The moves go in where the window system's would.
    auto opacity = [](juce::Button& button)
    {
        const auto image = button.createComponentSnapshot(button.getLocalBounds(), false);
        juce::int64 sum = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                sum += image.getPixelAt(x, y).getAlpha();
        return sum;
    };
    auto moveMouseTo = [this](juce::Component& target)
    {
        auto* peer = panel->getPeer();
        const auto inPeer = peer->getComponent()
                                .getLocalPoint(&target, target.getLocalBounds().getCentre())
                                .toFloat();
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer, {},
                               juce::MouseInputSource::defaultPressure,
                               juce::MouseInputSource::defaultOrientation,
                               juce::Time::currentTimeMillis());
    };
    panel->button44->setEnabled(true);
    panel->buttonMuteOut->setEnabled(true);
    ASSERT_FALSE(panel->button44->isOver());
    const auto rateNormal = opacity(*panel->button44);
    const auto muteNormal = opacity(*panel->buttonMuteOut);
    moveMouseTo(*panel->button44);
    ASSERT_TRUE(pumpUntil([this] { return panel->button44->isOver(); }));
    EXPECT_LT(opacity(*panel->button44), rateNormal * 3 / 4);
    moveMouseTo(*panel->buttonMuteOut);
    ASSERT_TRUE(pumpUntil([this] { return panel->buttonMuteOut->isOver(); }));
    EXPECT_EQ(opacity(*panel->buttonMuteOut), muteNormal);
}

TEST_F(PanelInWindow, PaintsTheScaledBackgroundBelowTheBar)
{
    panel->setSize(640, 580);
    const auto snapshot = panel->createComponentSnapshot(panel->getLocalBounds(), false);
    const auto expected = panel->backgroundImage;
    ASSERT_EQ(expected.getWidth(), 640);
    for (const auto& point :
         {juce::Point<int>(10, 10), juce::Point<int>(320, 300), juce::Point<int>(630, 540)})
    {
        // Only where no control covers the background.
        if (panel->getComponentAt(point.translated(0, panel->menuBarHeight)) != panel)
            continue;
        EXPECT_EQ(snapshot.getPixelAt(point.x, point.y + panel->menuBarHeight).toString(),
                  expected.getPixelAt(point.x, point.y).toString());
    }
}

TEST_F(PanelInWindow, LabelsOfEqualWidthDrawInOneFittedFont)
{
    auto& look = panel->dBLabelLook;
    const auto inFont = look.getLabelFont(*panel->levelLabelIn);
    const auto outFont = look.getLabelFont(*panel->levelLabelOut);
    EXPECT_EQ(inFont.getHeight(), outFont.getHeight());
    // Fitted to the reference text, whatever the label holds.
    panel->levelLabelIn->setText("-10.00 dB", juce::dontSendNotification);
    EXPECT_EQ(look.getLabelFont(*panel->levelLabelIn).getHeight(), inFont.getHeight());
    EXPECT_LE(inFont.getStringWidthFloat("-63.5 dB"), (float)panel->levelLabelIn->getWidth());

    panel->setSize(640, 580);
    EXPECT_GT(look.getLabelFont(*panel->levelLabelIn).getHeight(), inFont.getHeight());
}
