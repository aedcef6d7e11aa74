#include "widgets/SliderLookAndFeel.h"

#include "resources/BinaryData.h"

void TavrinSliderLookAndFeel::drawLinearSlider(juce::Graphics& g, int x, int y, int width,
                                               int height, float sliderPos, float minSliderPos,
                                               float maxSliderPos, juce::Slider::SliderStyle style,
                                               juce::Slider& slider)
{
    // No track, no background: the thumb is the whole fader.
    drawLinearSliderThumb(g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style,
                          slider);
}

void TavrinSliderLookAndFeel::drawLinearSliderThumb(juce::Graphics& g, int x, int y, int width,
                                                    int height, float sliderPos, float minSliderPos,
                                                    float maxSliderPos,
                                                    juce::Slider::SliderStyle style,
                                                    juce::Slider& slider)
{
    if (style == juce::Slider::LinearHorizontal)
        return;

    if (style != juce::Slider::LinearVertical)
    {
        juce::LookAndFeel_V2::drawLinearSliderThumb(g, x, y, width, height, sliderPos, minSliderPos,
                                                    maxSliderPos, style, slider);
        return;
    }

    // A hovered or dragged fader always shows the linked artwork.
    const bool highlighted = slider.isEnabled() && slider.isMouseOverOrDragging();
    const juce::Image& thumb = highlighted ? linkedThumb : currentThumb;
    if (!thumb.isValid())
        return;

    const int top = (int)(sliderPos - (float)halfCurrentThumbHeight());
    if (!g.isClipEmpty())
        g.drawImageAt(thumb, x, top);
}

int TavrinSliderLookAndFeel::getSliderThumbRadius(juce::Slider&)
{
    return halfCurrentThumbHeight();
}

void TavrinSliderLookAndFeel::setImagPathAndSize(const char*, int, const char*, int, int, int)
{
    currentThumbSource = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_30,
                                                         DEDEVUZIZ::temp_binary_data_30Size);
    normalThumbSource = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_30,
                                                        DEDEVUZIZ::temp_binary_data_30Size);
    linkedThumbSource = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_31,
                                                        DEDEVUZIZ::temp_binary_data_31Size);
    thumbBaseWidth = 15;
    thumbBaseHeight = 19;
}

int TavrinSliderLookAndFeel::halfCurrentThumbHeight() const
{
    return currentThumb.isValid() ? currentThumb.getHeight() / 2 : 0;
}
