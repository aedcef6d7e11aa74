#pragma once

#include <juce_graphics/juce_graphics.h>

namespace k71test
{
// Whether the image holds, pixel for pixel, that area of the picture: pictures
// of one size still tell apart.
inline bool showsPartOf(const juce::Image& image, const juce::Image& picture,
                        juce::Rectangle<int> area)
{
    if (!image.isValid() || !picture.isValid() || image.getBounds() != area.withZeroOrigin())
        return false;
    for (int y = 0; y < area.getHeight(); ++y)
        for (int x = 0; x < area.getWidth(); ++x)
            if (image.getPixelAt(x, y) != picture.getPixelAt(area.getX() + x, area.getY() + y))
                return false;
    return true;
}
} // namespace k71test
