#include "WidgetTestSupport.h"

#include "widgets/SliderLookAndFeel.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{
// An opaque thumb whose red channel tells the row: 10 * row + 5.
juce::Image rowCodedThumb()
{
    juce::Image image(juce::Image::ARGB, 15, 19, true);
    for (int y = 0; y < 19; ++y)
        image.clear({0, y, 15, 1}, juce::Colour((juce::uint8)(10 * y + 5), 0, 255));
    return image;
}

class ThumbLook : public testing::Test
{
  protected:
    ThumbLook()
    {
        look.setImagPathAndSize(nullptr, 0, nullptr, 0, 0, 0);
        slider.setSliderStyle(juce::Slider::LinearVertical);
        slider.setTextBoxStyle(juce::Slider::NoTextBox, false, 1, 1);
        slider.setRange(-40.0, 12.0, 0.25);
        slider.setLookAndFeel(&look);
        slider.setBounds(10, 10, 17, 162);
    }
    ~ThumbLook() override { slider.setLookAndFeel(nullptr); }

    // What the look draws for the given style and position on a 40 x 200 canvas.
    juce::Image draw(juce::Slider::SliderStyle style, float sliderPos, int x = 3)
    {
        juce::Image canvas(juce::Image::ARGB, 40, 200, true);
        juce::Graphics g(canvas);
        look.drawLinearSlider(g, x, 9, 17, 144, sliderPos, 20.0f, 150.0f, style, slider);
        return canvas;
    }

    TavrinSliderLookAndFeel look;
    juce::Slider slider;
};

TEST_F(ThumbLook, LoadsBothArtworksAtTheirSize)
{
    for (auto* source :
         {&look.currentThumbSource, &look.normalThumbSource, &look.linkedThumbSource})
        EXPECT_EQ(source->getBounds(), juce::Rectangle<int>(0, 0, 15, 19));
    EXPECT_EQ(look.currentThumbSource.getPixelData(), look.normalThumbSource.getPixelData());
    EXPECT_EQ(look.thumbBaseWidth, 15);
    EXPECT_EQ(look.thumbBaseHeight, 19);
    EXPECT_TRUE(look.markLinked);
}

TEST_F(ThumbLook, DrawsNothingBeforeTheFirstRescale)
{
    EXPECT_EQ(look.getSliderThumbRadius(slider), 0);
    const auto snapshot = slider.createComponentSnapshot(slider.getLocalBounds());
    EXPECT_TRUE(widgettest::paintedArea(snapshot).isEmpty());
    EXPECT_TRUE(widgettest::paintedArea(draw(juce::Slider::LinearVertical, 100.0f)).isEmpty());
}

TEST_F(ThumbLook, ThumbTopIsThePositionLessHalfItsHeightTruncated)
{
    look.currentThumb = rowCodedThumb();
    EXPECT_EQ(look.getSliderThumbRadius(slider), 9);

    struct Case
    {
        float sliderPos;
        int top;
    };
    // 4.5 - 9 = -4.5 goes toward zero, to -4, not down to -5.
    for (const auto& c : {Case{100.0f, 91}, Case{100.7f, 91}, Case{9.9f, 0}, Case{4.5f, -4}})
    {
        const auto canvas = draw(juce::Slider::LinearVertical, c.sliderPos);
        SCOPED_TRACE(c.sliderPos);
        const int firstRow = std::max(c.top, 0);
        EXPECT_EQ(widgettest::paintedArea(canvas),
                  juce::Rectangle<int>(3, firstRow, 15, c.top + 19 - firstRow));
        EXPECT_EQ(canvas.getPixelAt(3, firstRow).getRed(), 10 * (firstRow - c.top) + 5);
    }
}

TEST_F(ThumbLook, HorizontalFaderDrawsNothing)
{
    look.currentThumb = rowCodedThumb();
    look.linkedThumb = rowCodedThumb();
    EXPECT_TRUE(widgettest::paintedArea(draw(juce::Slider::LinearHorizontal, 100.0f)).isEmpty());
}

TEST_F(ThumbLook, OtherLinearStylesGetTheStockThumbAndNoTrack)
{
    look.currentThumb = rowCodedThumb();
    for (auto style :
         {juce::Slider::LinearBar, juce::Slider::LinearBarVertical, juce::Slider::TwoValueVertical,
          juce::Slider::ThreeValueVertical, juce::Slider::TwoValueHorizontal})
    {
        SCOPED_TRACE((int)style);
        juce::Image stock(juce::Image::ARGB, 40, 200, true);
        {
            juce::Graphics g(stock);
            look.juce::LookAndFeel_V2::drawLinearSliderThumb(g, 3, 9, 17, 144, 100.0f, 20.0f,
                                                             150.0f, style, slider);
        }
        const auto drawn = draw(style, 100.0f);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(drawn.getPixelAt(x, y), stock.getPixelAt(x, y)) << x << "," << y;
    }
    // The two-value pointers are really drawn.
    EXPECT_FALSE(widgettest::paintedArea(draw(juce::Slider::TwoValueVertical, 100.0f)).isEmpty());
}

class ThumbUnderThePointer : public testing::Test
{
  protected:
    ThumbUnderThePointer()
    {
        look.currentThumb = widgettest::solidImage(15, 19, juce::Colours::red);
        look.linkedThumb = widgettest::solidImage(15, 19, juce::Colours::lime);
        slider.setSliderStyle(juce::Slider::LinearVertical);
        slider.setTextBoxStyle(juce::Slider::NoTextBox, false, 1, 1);
        slider.setRange(-40.0, 12.0, 0.25);
        slider.setLookAndFeel(&look);
        slider.setBounds(10, 10, 17, 162);
        holder.setSize(60, 200);
        holder.addAndMakeVisible(slider);
        shown.emplace(holder, onScreen);
        widgettest::movePointerTo(farAway);
    }
    ~ThumbUnderThePointer() override
    {
        widgettest::movePointerTo(farAway);
        slider.setLookAndFeel(nullptr);
    }

    // The one thumb colour the fader shows.
    juce::Colour shownThumb()
    {
        const auto snapshot = slider.createComponentSnapshot(slider.getLocalBounds());
        const auto area = widgettest::paintedArea(snapshot);
        EXPECT_FALSE(area.isEmpty());
        return snapshot.getPixelAt(area.getCentreX(), area.getCentreY());
    }

    const juce::Point<int> farAway{900, 900};
    const juce::Point<int> onScreen{300, 300};
    TavrinSliderLookAndFeel look;
    juce::Slider slider;
    juce::Component holder;
    std::optional<widgettest::OnDesktop> shown;
};

TEST_F(ThumbUnderThePointer, HoveredEnabledFaderShowsTheLinkedThumb)
{
    EXPECT_EQ(shownThumb(), juce::Colours::red);

    widgettest::movePointerTo(onScreen + juce::Point<int>(18, 90));
    ASSERT_TRUE(k71test::pumpUntil([this] { return slider.isMouseOver(); }, 2000));
    EXPECT_EQ(shownThumb(), juce::Colours::lime);

    slider.setEnabled(false);
    EXPECT_EQ(shownThumb(), juce::Colours::red);
    slider.setEnabled(true);
    holder.setEnabled(false);
    EXPECT_EQ(shownThumb(), juce::Colours::red) << "a disabled parent disables the fader";
    holder.setEnabled(true);

    widgettest::movePointerTo(farAway);
    ASSERT_TRUE(k71test::pumpUntil([this] { return !slider.isMouseOver(); }, 2000));
    EXPECT_EQ(shownThumb(), juce::Colours::red);
}
} // namespace
