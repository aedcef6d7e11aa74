// What a panel does not do at start: decode pictures that nothing shows and
// give the hidden About dialog a native window.
#include "PanelFixture.h"

#include "resources/BinaryData.h"

namespace k71test
{
namespace
{
bool isDecoded(const char* embeddedImage)
{
    return juce::ImageCache::getFromHashCode((juce::int64)(juce::pointer_sized_int)embeddedImage)
        .isValid();
}

class PanelStartup : public PanelInWindow
{
  protected:
    void SetUp() override
    {
        // Nothing decoded by an earlier test may count as the new panel's.
        juce::ImageCache::releaseUnusedImages();
        PanelInWindow::SetUp();
        ASSERT_TRUE(pumpUntil([this] { return window->isShowing(); }));
    }
};
} // namespace

TEST_F(PanelStartup, LeavesUnshownPicturesUndecodedAndTheAboutDialogOffTheDesktop)
{
    EXPECT_TRUE(isDecoded(DEDEVUZIZ::temp_binary_data_23));
    EXPECT_FALSE(isDecoded(DEDEVUZIZ::temp_binary_data_18));
    EXPECT_FALSE(isDecoded(DEDEVUZIZ::temp_binary_data_19));
    EXPECT_FALSE(isDecoded(DEDEVUZIZ::temp_binary_data_6));
    EXPECT_FALSE(panel->aboutWindow->aboutPicture.isValid());
    EXPECT_EQ(panel->aboutDialog->getPeer(), nullptr);
    EXPECT_EQ(panel->aboutWindow->getBounds(), juce::Rectangle<int>(0, 0, 528, 212));
}
} // namespace k71test
