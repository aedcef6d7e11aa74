// The size rules as the program installs them on its main window.
#include "panel/TavrinBorderBoundsConstrainer.h"

#include <gtest/gtest.h>

TEST(MainWindowConstrainer, InstalledWithThePanelsRatioLimitsAndNoFrame)
{
    BorderBoundsConstrainer constrainer;
    constrainer.extraTop = 5;
    constrainer.frameBorder = {3, 4, 5, 6};
    juce::DocumentWindow window("K71VT", juce::Colours::lightgrey, juce::DocumentWindow::allButtons,
                                true);
    window.setUsingNativeTitleBar(true);

    installMainWindowConstrainer(window, constrainer);

    EXPECT_EQ(window.getConstrainer(), &constrainer);
    EXPECT_EQ(constrainer.getFixedAspectRatio(), 320.0 / 290.0);
    EXPECT_EQ(constrainer.getMinimumWidth(), 219);
    EXPECT_EQ(constrainer.getMinimumHeight(), 198);
    EXPECT_EQ(constrainer.getMaximumWidth(), 640);
    EXPECT_EQ(constrainer.getMaximumHeight(), 580);
    EXPECT_EQ(constrainer.extraTop, 0);
    // On X the window's rectangle is the content alone, the frame lies outside it.
    EXPECT_EQ(constrainer.frameBorder, juce::BorderSize<int>());
    window.setConstrainer(nullptr);
}
