#pragma once

#include "panel/PanelLayout.h"

#include <cmath>

// Where the panel puts its controls at the background's own size (400 x 300),
// so the printed legends, slots and scales land under them. Taken from the
// panel's own table: the artwork cannot drift from the layout.
namespace artgen::geometry
{
constexpr int designWidth = (int)panellayout::designWidth;
constexpr int designHeight = (int)panellayout::designHeight;

using Box = panellayout::Area;

// A control's rectangle on the background: the panel laid out at the design size.
constexpr Box atDesignSize(const panellayout::Placement& placement)
{
    return panellayout::placedIn(placement, (float)designWidth, (float)designHeight);
}

// Fader groups and the two faders inside each (group coordinates).
namespace faders = panellayout::faders;
constexpr Box inputGroup{faders::inputGroupX, faders::groupY, faders::groupWidth,
                         faders::groupHeight};
constexpr Box outputGroup{faders::outputGroupX, faders::groupY, faders::groupWidth,
                          faders::groupHeight};
constexpr int faderWidth = faders::faderWidth;
constexpr int faderTop = faders::faderY;
constexpr int faderHeight = faders::faderLength;
constexpr int rightFaderX = faders::rightFaderX;

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
constexpr Box inputValueWindow = atDesignSize(panellayout::placement::levelLabelIn);
constexpr Box outputValueWindow = atDesignSize(panellayout::placement::levelLabelOut);

// Buttons and the numbers of their off (A) and on (B) images.
struct ButtonPlace
{
    panellayout::Placement placement;
    Box bounds;
    int imageOff;
    int imageOn;
    int imageWidth;
    int imageHeight;
};

// A button where the panel puts it, with the panel's pair of images; the pixel
// size is the generator's own (the pictures it paints).
constexpr ButtonPlace buttonPlace(const panellayout::Placement& placement,
                                  const panellayout::ImagePair& images, int imageWidth,
                                  int imageHeight)
{
    return {placement, atDesignSize(placement), images.normal, images.on, imageWidth, imageHeight};
}

namespace place = panellayout::placement;
namespace art = panellayout::artwork;
constexpr ButtonPlace rate48 = buttonPlace(place::button48, art::button48, 61, 20);
constexpr ButtonPlace rate44 = buttonPlace(place::button44, art::button44, 61, 20);
constexpr ButtonPlace rate32 = buttonPlace(place::button32, art::button32, 61, 20);
constexpr ButtonPlace sourceAnalog = buttonPlace(place::buttonAnalog, art::buttonAnalog, 53, 20);
constexpr ButtonPlace sourceDigital = buttonPlace(place::buttonDigital, art::buttonDigital, 53, 20);
constexpr ButtonPlace formatPro = buttonPlace(place::buttonPro, art::buttonPro, 73, 20);
constexpr ButtonPlace formatCon = buttonPlace(place::buttonCon, art::buttonCon, 73, 20);
constexpr ButtonPlace copyNone = buttonPlace(place::buttonNoneCopy, art::buttonNoneCopy, 84, 20);
constexpr ButtonPlace copyCopy = buttonPlace(place::buttonCopy, art::buttonCopy, 84, 20);
constexpr ButtonPlace monitoring =
    buttonPlace(place::buttonToggleMonitoring, art::buttonToggleMonitoring, 68, 21);
constexpr ButtonPlace muteIn = buttonPlace(place::buttonMuteIn, art::buttonMuteIn, 35, 19);
constexpr ButtonPlace muteOut = buttonPlace(place::buttonMuteOut, art::buttonMuteOut, 35, 19);
constexpr ButtonPlace linkButton = buttonPlace(place::buttonLink, art::buttonLink, 27, 14);

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
