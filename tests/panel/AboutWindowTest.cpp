#include "panel/AboutWindow.h"

#include <gtest/gtest.h>

TEST(AboutWindow, PictureSizedWithVersionTextCloseButtonAndLink)
{
    AboutWindow window;
    EXPECT_EQ(window.versionText, "K71VT v2.0.0.0");
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
