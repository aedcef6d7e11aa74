#pragma once

#include <cmath>

// Where the panel puts its controls at the background's own size (400 x 300),
// so the printed legends, slots and scales land under them.
namespace artgen::geometry
{
constexpr int designWidth = 400;
constexpr int designHeight = 300;

struct Box
{
    int x, y, width, height;
};

// Fader groups and the two faders inside each (group coordinates).
constexpr Box inputGroup{102, 58, 65, 195};
constexpr Box outputGroup{192, 58, 65, 195};
constexpr int faderWidth = 17;
constexpr int faderTop = 7;
constexpr int faderHeight = 162;
constexpr int rightFaderX = 17;

// Thumb art and the track it travels: the fader height less the thumb
// radius at each end.
constexpr int thumbWidth = 15;
constexpr int thumbHeight = 19;
constexpr int thumbRadius = thumbHeight / 2;
constexpr int trackTop = inputGroup.y + faderTop + thumbRadius; // 74
constexpr int trackLength = faderHeight - 2 * thumbRadius;      // 144

constexpr double inputMinDb = -40.0, inputMaxDb = 12.0;
constexpr double outputMinDb = -55.0, outputMaxDb = 0.0;

// Where the thumb's centre sits for a level, on the background.
inline float levelToY(double level, double minDb, double maxDb)
{
    return (float)(trackTop + trackLength * (maxDb - level) / (maxDb - minDb));
}

// The background row the thumb's centre mark covers at a level: the fader puts
// the thumb's top at its track position less the radius, cut to a whole pixel,
// and the mark is the thumb's middle row.
inline int levelToMarkRow(double level, double minDb, double maxDb)
{
    const double proportion = (level - minDb) / (maxDb - minDb);
    const auto sliderPos = (float)(thumbRadius + (1.0 - proportion) * trackLength);
    const int top = (int)(sliderPos - (float)thumbRadius);
    return inputGroup.y + faderTop + top + thumbRadius;
}

// The thumb is drawn from the fader's left edge, so its centre line is
// half a thumb in from there, not half a fader.
inline float slotCentreX(const Box& group, int faderX)
{
    return (float)group.x + (float)faderX + thumbWidth * 0.5f;
}

// Value readouts, drawn in black by the panel.
constexpr Box inputValueWindow{98, 236, 43, 15};
constexpr Box outputValueWindow{186, 236, 43, 15};

// Buttons and the numbers of their off (A) and on (B) images.
struct ButtonPlace
{
    Box bounds;
    int imageOff;
    int imageOn;
    int imageWidth;
    int imageHeight;
};

constexpr ButtonPlace rate48{{299, 50, 63, 21}, 4, 5, 61, 20};
constexpr ButtonPlace rate44{{299, 74, 63, 21}, 2, 3, 61, 20};
constexpr ButtonPlace rate32{{299, 98, 63, 21}, 0, 1, 61, 20};
constexpr ButtonPlace sourceAnalog{{17, 69, 55, 21}, 10, 11, 53, 20};
constexpr ButtonPlace sourceDigital{{17, 96, 55, 21}, 16, 17, 53, 20};
constexpr ButtonPlace formatPro{{293, 176, 75, 21}, 32, 33, 73, 20};
constexpr ButtonPlace formatCon{{293, 200, 75, 21}, 12, 13, 73, 20};
constexpr ButtonPlace copyNone{{287, 234, 86, 21}, 28, 29, 84, 20};
constexpr ButtonPlace copyCopy{{287, 258, 86, 21}, 14, 15, 84, 20};
constexpr ButtonPlace monitoring{{134, 32, 54, 17}, 24, 25, 68, 21};
constexpr ButtonPlace muteIn{{96, 264, 47, 21}, 26, 27, 35, 19};
constexpr ButtonPlace muteOut{{184, 264, 47, 21}, 26, 27, 35, 19};
constexpr ButtonPlace linkButton{{338, 4, 28, 17}, 21, 22, 27, 14};

// Where an image button draws its image: scaled into its bounds with the
// proportions kept, centred, rounded (halves to even) as the image button does it.
inline Box fitImage(const Box& b, int imageWidth, int imageHeight)
{
    const float imageRatio = (float)imageHeight / (float)imageWidth;
    const float boundsRatio = (float)b.height / (float)b.width;
    int width = b.width, height = b.height;
    if (imageRatio > boundsRatio)
        width = (int)std::nearbyint((float)b.height / imageRatio);
    else
        height = (int)std::nearbyint((float)b.width * imageRatio);
    return {b.x + (b.width - width) / 2, b.y + (b.height - height) / 2, width, height};
}

inline Box drawnImageBounds(const ButtonPlace& place)
{
    return fitImage(place.bounds, place.imageWidth, place.imageHeight);
}

constexpr ButtonPlace allButtons[] = {rate48,    rate44,    rate32,    sourceAnalog, sourceDigital,
                                      formatPro, formatCon, copyNone,  copyCopy,     monitoring,
                                      muteIn,    muteOut,   linkButton};

// About window: what the window draws over its picture.
constexpr Box aboutVersionText{285, 181, 200, 20};
constexpr Box aboutCloseButton{116, 171, 48, 17};
constexpr Box aboutWebLink{67, 143, 140, 16};

// Routing pictures: the pieces the panel cuts out of them.
constexpr Box routingToggleLeft{182, 73, 47, 30};
constexpr Box routingToggleRight{356, 73, 47, 30};
constexpr Box routingNode{99, 159, 18, 18};
constexpr Box routingWideLeft{22, 390, 155, 31};
constexpr Box routingWideRight{189, 390, 155, 31};
} // namespace artgen::geometry
