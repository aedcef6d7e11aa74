#include "ArtCatalogue.h"

#include "Painters.h"

namespace artgen
{
namespace
{
ArtEntry key(int number, const char* fileName, int width, int height, const char* text,
             KeyLight light)
{
    return {number, fileName, width, height,
            [=] { return paintButtonImage(width, height, text, light); }};
}
} // namespace

const std::vector<ArtEntry>& artCatalogue()
{
    using L = KeyLight;
    static const std::vector<ArtEntry> entries = {
        key(0, "00-rate-32k-off.png", 61, 20, "32k", L::off),
        key(1, "01-rate-32k-on.png", 61, 20, "32k", L::amber),
        key(2, "02-rate-44k-off.png", 61, 20, "44.1k", L::off),
        key(3, "03-rate-44k-on.png", 61, 20, "44.1k", L::amber),
        key(4, "04-rate-48k-off.png", 61, 20, "48k", L::off),
        key(5, "05-rate-48k-on.png", 61, 20, "48k", L::amber),
        {6, "06-about-picture.png", 528, 212, [] { return paintAboutPicture(); }},
        {7, "07-about-close.png", 48, 17, [] { return paintAboutClose(false); }},
        {8, "08-about-close-hover.png", 48, 17, [] { return paintAboutClose(true); }},
        key(10, "10-source-analog-off.png", 53, 20, "ANALOG", L::off),
        key(11, "11-source-analog-on.png", 53, 20, "ANALOG", L::amber),
        key(12, "12-format-con-off.png", 73, 20, "CON", L::off),
        key(13, "13-format-con-on.png", 73, 20, "CON", L::amber),
        key(14, "14-copy-copy-off.png", 84, 20, "COPY", L::off),
        key(15, "15-copy-copy-on.png", 84, 20, "COPY", L::amber),
        key(16, "16-source-digital-off.png", 53, 20, "DIGITAL", L::off),
        key(17, "17-source-digital-on.png", 53, 20, "DIGITAL", L::amber),
        {18, "18-routing-off.png", 524, 442, [] { return paintRoutingMatrix(false); }},
        {19, "19-routing-on.png", 524, 442, [] { return paintRoutingMatrix(true); }},
        key(21, "21-link-off.png", 27, 14, "LINK", L::off),
        key(22, "22-link-on.png", 27, 14, "LINK", L::violet),
        {23, "23-panel-background.png", 400, 300, [] { return paintPanelBackground(); }},
        key(24, "24-monitor-off.png", 68, 21, "MON", L::off),
        key(25, "25-monitor-on.png", 68, 21, "MON", L::green),
        key(26, "26-mute-off.png", 35, 19, "MUTE", L::off),
        key(27, "27-mute-on.png", 35, 19, "MUTE", L::red),
        key(28, "28-copy-nocopy-off.png", 84, 20, "NO COPY", L::off),
        key(29, "29-copy-nocopy-on.png", 84, 20, "NO COPY", L::amber),
        {30, "30-thumb-normal.png", 15, 19, [] { return paintThumb(false); }},
        {31, "31-thumb-linked.png", 15, 19, [] { return paintThumb(true); }},
        key(32, "32-format-pro-off.png", 73, 20, "PRO", L::off),
        key(33, "33-format-pro-on.png", 73, 20, "PRO", L::amber),
    };
    return entries;
}
} // namespace artgen
