// The panel on a platform where no interface is ever found: it starts dark, sends
// nothing, and its buttons stay off.

#include "panel/MainComponent.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <memory>

TEST(NullBackendPanel, StartsDarkAndStaysSo)
{
    auto window = std::make_unique<juce::DocumentWindow>("K71VT", juce::Colours::lightgrey,
                                                         juce::DocumentWindow::allButtons);
    window->setUsingNativeTitleBar(true);
    auto* panel = new MainComponent();
    window->setContentOwned(panel, true);
    window->setVisible(true);
    k71test::pumpFor(500);

    EXPECT_FALSE(panel->deviceAttached);
    for (auto* button :
         {panel->buttonCon.get(), panel->buttonCopy.get(), panel->buttonAnalog.get(),
          panel->button48.get(), panel->buttonMuteIn.get(), panel->buttonMuteOut.get()})
    {
        EXPECT_FALSE(button->getToggleState()) << button->getName();
        EXPECT_FALSE(button->isEnabled()) << button->getName();
    }
    window.reset();
}
