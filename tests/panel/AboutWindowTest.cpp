#include "panel/AboutWindow.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
// The smallest rectangle that holds every pixel where the test holds.
juce::Rectangle<int> areaWhere(juce::Rectangle<int> image,
                               const std::function<bool(int x, int y)>& holds)
{
    juce::RectangleList<int> pixels;
    for (int y = image.getY(); y < image.getBottom(); ++y)
        for (int x = image.getX(); x < image.getRight(); ++x)
            if (holds(x, y))
                pixels.addWithoutMerging({x, y, 1, 1});
    return pixels.getBounds();
}
} // namespace

TEST(AboutWindow, PictureSizedWithVersionTextCloseButtonAndLink)
{
    AboutWindow window;
    EXPECT_EQ(window.versionText, "K71VT v" K71_VERSION);
    EXPECT_EQ(window.textPosition, juce::Point<int>(285, 181));
    EXPECT_EQ(window.getBounds(), juce::Rectangle<int>(0, 0, 528, 212));
    EXPECT_EQ(window.closeButton->getBounds(), juce::Rectangle<int>(116, 171, 48, 17));
    EXPECT_TRUE(window.closeButton->isVisible());
    EXPECT_EQ(window.closeButton->getParentComponent(), &window);
    EXPECT_EQ(window.webLink->getBounds(), juce::Rectangle<int>(67, 143, 140, 16));
    EXPECT_EQ(window.webLink->getButtonText(), "");
    EXPECT_EQ(window.webLink->getURL().toString(false).fromLastOccurrenceOf("/", true, false),
              "/113");
}

TEST(AboutWindow, CloseButtonOutsideADialogDoesNothing)
{
    AboutWindow window;
    window.buttonClicked(window.closeButton.get());
    window.buttonClicked(window.webLink.get());
    SUCCEED();
}

TEST(AboutWindow, PictureIsDecodedWhenFirstPainted)
{
    juce::ImageCache::releaseUnusedImages();
    AboutWindow window;
    EXPECT_FALSE(window.aboutPicture.isValid());

    const auto snapshot = window.createComponentSnapshot(window.getLocalBounds());
    ASSERT_TRUE(window.aboutPicture.isValid());
    EXPECT_EQ(window.aboutPicture.getBounds(), window.getLocalBounds());
    EXPECT_EQ(snapshot.getPixelAt(20, 20), window.aboutPicture.getPixelAt(20, 20));
}

TEST(AboutWindow, DialogIsCreatedHiddenWithoutANativeWindow)
{
    auto* window = new AboutWindow();
    auto dialog = createAboutDialog(window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->isOnDesktop());
    EXPECT_EQ(dialog->getPeer(), nullptr);
    EXPECT_EQ(dialog->getName(), "About K71VT");
    EXPECT_EQ(dialog->getContentComponent(), window);
    EXPECT_FALSE(dialog->isResizable());
    EXPECT_TRUE(dialog->isUsingNativeTitleBar());
    EXPECT_EQ(dialog->getContentComponent()->getBounds(), juce::Rectangle<int>(0, 0, 528, 212));
    EXPECT_EQ(dialog->getBounds().getWidth(), 528);
    EXPECT_EQ(dialog->getBounds().getHeight(), 212);
}

TEST(AboutWindow, VersionTextIsFittedLeftIntoItsRectangle)
{
    AboutWindow window;
    AboutWindow withoutText;
    withoutText.versionText = {};
    const auto drawn = window.createComponentSnapshot(window.getLocalBounds(), false);
    const auto picture = withoutText.createComponentSnapshot(withoutText.getLocalBounds(), false);

    // The same text alone, fitted on one line and left-justified into
    // (285, 181, 200, 20) in the default font.
    juce::Image alone(juce::Image::ARGB, drawn.getWidth(), drawn.getHeight(), true);
    {
        juce::Graphics g(alone);
        g.setColour(juce::Colours::grey);
        g.drawFittedText(window.versionText, 285, 181, 200, 20, juce::Justification::left, 1);
    }

    // Where the window differs from its picture, the text was drawn.
    const auto text = areaWhere(drawn.getBounds(), [&](int x, int y)
                                { return drawn.getPixelAt(x, y) != picture.getPixelAt(x, y); });
    const auto expected = areaWhere(alone.getBounds(), [&](int x, int y)
                                    { return alone.getPixelAt(x, y).getAlpha() != 0; });
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(text.toString(), expected.toString());
}
