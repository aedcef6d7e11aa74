#include "WidgetTestSupport.h"

#include "widgets/PopupMenuLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
struct TwoMenus : juce::MenuBarModel
{
    juce::StringArray getMenuBarNames() override { return {"File", "Config"}; }
    juce::PopupMenu getMenuForIndex(int, const juce::String&) override { return {}; }
    void menuItemSelected(int, int) override {}
};

// A bar font stretched so that "File" is exactly the wanted width.
class StretchedBarFont : public PopupMenuLookandFeel
{
  public:
    explicit StretchedBarFont(float wantedWidth)
    {
        const float plain = font.getStringWidthFloat("File");
        font.setHorizontalScale(wantedWidth / plain);
    }
    juce::Font getMenuBarFont(juce::MenuBarComponent&, int, const juce::String&) override
    {
        return font;
    }
    juce::Font font{15.0f};
};

class MenuBarLook : public testing::Test
{
  protected:
    MenuBarLook()
    {
        bar.setLookAndFeel(&look);
        bar.setSize(200, 24);
    }
    ~MenuBarLook() override { bar.setLookAndFeel(nullptr); }

    juce::Image drawItem(const juce::String& text, int width, bool overItem, bool open,
                         bool overBar)
    {
        juce::Image image(juce::Image::ARGB, width, 24, true);
        juce::Graphics g(image);
        g.setFont(juce::Font(17.0f));
        look.drawMenuBarItem(g, width, 24, 0, text, overItem, open, overBar, bar);
        return image;
    }

    static bool sameImage(const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds())
            return false;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt(x, y) != b.getPixelAt(x, y))
                    return false;
        return true;
    }

    PopupMenuLookandFeel look;
    TwoMenus model;
    juce::MenuBarComponent bar{&model};
};

TEST_F(MenuBarLook, ItemWidthIsTheTextWidthInTheBarFontRoundedUpPlusTwenty)
{
    EXPECT_EQ(look.getMenuBarItemWidth(bar, 0, ""), 20);
    struct Case
    {
        float textWidth;
        int itemWidth;
    };
    for (const auto& c : {Case{43.2f, 64}, Case{42.6f, 63}, Case{12.01f, 33}})
    {
        StretchedBarFont stretched(c.textWidth);
        ASSERT_NEAR(stretched.font.getStringWidthFloat("File"), c.textWidth, 0.01f);
        EXPECT_EQ(stretched.getMenuBarItemWidth(bar, 1, "File"), c.itemWidth) << c.textWidth;
    }
}

TEST_F(MenuBarLook, BarIsLightGreyWithBlackCentredNames)
{
    const auto snapshot = bar.createComponentSnapshot(bar.getLocalBounds());
    EXPECT_EQ(snapshot.getPixelAt(199, 0), juce::Colours::lightgrey);
    EXPECT_EQ(snapshot.getPixelAt(199, 23), juce::Colours::lightgrey);

    int left = 0;
    for (const auto& name : model.getMenuBarNames())
    {
        const int width = look.getMenuBarItemWidth(bar, 0, name);
        juce::Rectangle<int> ink;
        for (int y = 0; y < 24; ++y)
            for (int x = left; x < left + width; ++x)
            {
                const auto pixel = snapshot.getPixelAt(x, y);
                if (pixel == juce::Colours::lightgrey)
                    continue;
                // Only black blended into the grey: the three channels stay equal.
                EXPECT_EQ(pixel.getRed(), pixel.getGreen());
                EXPECT_EQ(pixel.getGreen(), pixel.getBlue());
                ink = ink.isEmpty() ? juce::Rectangle<int>(x, y, 1, 1) : ink.getUnion({x, y, 1, 1});
            }
        SCOPED_TRACE(name);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.getX() - left, left + width - ink.getRight(), 2);
        EXPECT_NEAR(ink.getY(), 24 - ink.getBottom(), 3);
        left += width;
    }
}

TEST_F(MenuBarLook, NoHighlightForAnyState)
{
    const auto plain = drawItem("Config", 60, false, false, false);
    for (int flags = 1; flags < 8; ++flags)
        EXPECT_TRUE(sameImage(drawItem("Config", 60, flags & 1, flags & 2, flags & 4), plain))
            << flags;

    bar.setEnabled(false);
    EXPECT_TRUE(sameImage(drawItem("Config", 60, true, true, true), plain));

    for (bool overBar : {false, true})
    {
        juce::Image background(juce::Image::ARGB, 80, 24, true);
        juce::Graphics g(background);
        look.drawMenuBarBackground(g, 80, 24, overBar, bar);
        EXPECT_TRUE(
            widgettest::allPixels(background, background.getBounds(), juce::Colours::lightgrey));
    }
}

TEST_F(MenuBarLook, LongNameIsDrawnWholeInTheCurrentFont)
{
    const juce::String name = "Configuration";
    const auto drawn = drawItem(name, 30, false, false, false);

    const auto reference = [&name](bool ellipsis)
    {
        juce::Image image(juce::Image::ARGB, 30, 24, true);
        juce::Graphics g(image);
        g.setFont(juce::Font(17.0f));
        g.setColour(juce::Colours::black);
        g.drawText(name, juce::Rectangle<float>(0.0f, 0.0f, 30.0f, 24.0f),
                   juce::Justification::centred, ellipsis);
        return image;
    };
    EXPECT_TRUE(sameImage(drawn, reference(false)));
    EXPECT_FALSE(sameImage(drawn, reference(true)));
}
} // namespace
