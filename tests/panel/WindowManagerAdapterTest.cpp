// The adapter's own X connection, as it keeps the window's size hints.
#include "panel/WindowManagerAdapter.h"
#include "panel/X11Display.h"

#include "support/MessageLoop.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <gtest/gtest.h>

namespace
{
class WindowManagerAdapterTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        window.setUsingNativeTitleBar(true);
        installMainWindowConstrainer(window, constrainer);
        window.setBounds(100, 100, 320, 290);
        window.addToDesktop();
        window.setVisible(true);
        adapter = std::make_unique<WindowManagerAdapter>(window, constrainer);
        other = XOpenDisplay(XDisplayString(frameworkDisplay()));
        ASSERT_NE(other, nullptr);
        native = (::Window)window.getPeer()->getNativeHandle();
        ASSERT_TRUE(k71test::pumpUntil([this] { return hintsAreTheAdapters(); }, 10000));
        k71test::flushPostedMessages(10000);
        // Not needed for the result: lets the first picture's own traffic end first, so
        // that nothing but what the test does reaches the adapter's connection.
        k71test::pumpFor(300);
    }

    void TearDown() override
    {
        adapter.reset();
        window.setConstrainer(nullptr);
        if (other != nullptr)
            XCloseDisplay(other);
    }

    bool hintsAreTheAdapters()
    {
        XSizeHints hints{};
        long supplied = 0;
        return XGetWMNormalHints(other, native, &hints, &supplied) &&
               (hints.flags & PAspect) != 0 && hints.min_width == 219 && hints.max_width == 640;
    }

    // Hints such as another client writes: no ratio and no limits of the window's own.
    void writeForeignHints()
    {
        XSizeHints hints{};
        hints.flags = PMinSize;
        hints.min_width = hints.min_height = 10;
        XSetWMNormalHints(other, native, &hints);
        XSync(other, False);
    }

    BorderBoundsConstrainer constrainer;
    juce::DocumentWindow window{"K71VT", juce::Colours::lightgrey, juce::DocumentWindow::allButtons,
                                true};
    std::unique_ptr<WindowManagerAdapter> adapter;
    ::Display* other = nullptr;
    ::Window native = 0;
};

TEST_F(WindowManagerAdapterTest, HintsRewrittenByAnotherClientAreWrittenBack)
{
    writeForeignHints();
    ASSERT_FALSE(hintsAreTheAdapters());
    EXPECT_TRUE(k71test::pumpUntil([this] { return hintsAreTheAdapters(); }, 10000));
}

TEST_F(WindowManagerAdapterTest, ARewriteItsOwnRoundTripTookOffTheSocketIsAnsweredToo)
{
    // One batch of posted messages, with no poll of the connections between them: a
    // resize, whose look at the size the server holds is posted behind it, and meanwhile
    // a rewrite of the hints, whose notice is on the adapter's socket before that look.
    bool rewritten = false;
    juce::MessageManager::callAsync(
        [this, &rewritten]
        {
            window.setSize(330, 299);
            XSync(frameworkDisplay(), False);
            writeForeignHints();
            rewritten = true;
        });
    EXPECT_TRUE(k71test::pumpUntil([&] { return rewritten && hintsAreTheAdapters(); }, 10000));
}
} // namespace
