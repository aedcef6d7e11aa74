// Puts the pictures together the way the panel shows them, for a look by eye:
//   k71_artpreview <images folder> <output folder>
// writes preview-off-WxH.png and preview-on-WxH.png at the design size and at
// the smallest, the first and the largest window size (the never-shown link
// key left out), keys-sheet.png (every key, 4x), the About window as it shows,
// and the routing pictures with their cut-outs marked.
#include "PanelGeometry.h"
#include "PngFile.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstdio>
#include <map>

namespace
{
using namespace artgen::geometry;

juce::Rectangle<int> placeIn(const panellayout::Placement& placement, float fw, float fh)
{
    const auto area = panellayout::placedIn(placement, fw, fh);
    return {area.x, area.y, area.width, area.height};
}

int nearest(double v)
{
    return (int)std::nearbyint(v);
}

std::map<int, juce::Image> loadImages(const juce::File& folder)
{
    std::map<int, juce::Image> images;
    for (const auto& file : folder.findChildFiles(juce::File::findFiles, false, "*.png"))
    {
        const auto name = file.getFileName();
        if (name.length() > 3 && name[2] == '-')
            images[name.substring(0, 2).getIntValue()] = juce::ImageFileFormat::loadFrom(file);
    }
    return images;
}

void drawButtonImage(juce::Graphics& g, const juce::Image& image, juce::Rectangle<int> bounds)
{
    const auto fitted =
        fitImage({bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight()},
                 image.getWidth(), image.getHeight());
    const auto target = juce::Rectangle<int>(fitted.x, fitted.y, fitted.width, fitted.height);
    g.drawImageTransformed(image,
                           juce::RectanglePlacement(juce::RectanglePlacement::stretchToFit)
                               .getTransformToFit(image.getBounds().toFloat(), target.toFloat()));
}

struct FaderPose
{
    const Box* group;
    double minDb, maxDb;
    double left, right;
};

void drawFaders(juce::Graphics& g, const juce::Image& thumbSource, const FaderPose& pose, double sx,
                double sy, bool linked)
{
    const auto& b = *pose.group;
    const int gx = nearest(b.x * sx), gy = nearest(b.y * sy);
    const int faderH = nearest((faderTop + faderHeight) * sy - faderTop * sy);
    const int faderY = nearest(faderTop * sy);
    const int rightX = nearest(rightFaderX * sx);
    const int tw = nearest(thumbWidth * sx), th = nearest(thumbHeight * sy);
    // A copy: at 1:1 the rescale hands back the source's own pixels.
    auto thumb = thumbSource.rescaled(tw, th, juce::Graphics::highResamplingQuality).createCopy();
    if (linked)
    {
        juce::Graphics tg(thumb);
        tg.setColour(juce::Colours::red);
        tg.drawLine(1.0f, th * 0.5f, tw - 1.0f, th * 0.5f, 0.5f);
    }
    const int radius = th / 2;
    const double trackStart = faderY + radius;
    const double trackLength = faderH - 2 * radius;
    for (int side = 0; side < 2; ++side)
    {
        const double level = side == 0 ? pose.left : pose.right;
        const double proportion = (level - pose.minDb) / (pose.maxDb - pose.minDb);
        const float sliderPos = (float)(trackStart + (1.0 - proportion) * trackLength);
        const int top = (int)(sliderPos - (float)radius);
        g.drawImageAt(thumb, gx + (side == 0 ? 0 : rightX), gy + top);
    }
}

juce::String levelText(double level)
{
    return juce::String(level, 1) + " dB";
}

juce::Image composePanel(std::map<int, juce::Image>& images, int W, int H, bool on)
{
    juce::Image panel(juce::Image::RGB, W, H, true, juce::SoftwareImageType());
    juce::Graphics g(panel);
    g.drawImageAt(images[23].rescaled(W, H, juce::Graphics::highResamplingQuality), 0, 0);

    const float fw = (float)W, fh = (float)H;
    for (const auto& key : allButtons)
        if (key.imageOff != linkButton.imageOff) // never shown
            drawButtonImage(g, images[on ? key.imageOn : key.imageOff],
                            placeIn(key.placement, fw, fh));

    const double sx = W / panellayout::designWidth, sy = H / panellayout::designHeight;
    const FaderPose input{&inputGroup, inputMinDb, inputMaxDb, on ? -40.0 : 12.0, on ? -12.0 : 0.0};
    const FaderPose output{&outputGroup, outputMinDb, outputMaxDb, on ? 0.0 : -10.0,
                           on ? -30.0 : -55.0};
    drawFaders(g, images[on ? 31 : 30], input, sx, sy, on);
    drawFaders(g, images[on ? 31 : 30], output, sx, sy, on);

    // The value readouts, in black as the panel draws them.
    for (int i = 0; i < 2; ++i)
    {
        const auto bounds = placeIn(i == 0 ? place::levelLabelIn : place::levelLabelOut, fw, fh);
        juce::Font font(20.0f);
        while (font.getHeight() > 1.0f &&
               font.getStringWidthFloat("-63.5 dB") > (float)bounds.getWidth())
            font.setHeight(font.getHeight() - 1.0f);
        g.setFont(font);
        g.setColour(juce::Colours::black);
        const double level = i == 0 ? (on ? -40.0 : 12.0) : (on ? 0.0 : -10.0);
        g.drawFittedText(levelText(level), bounds.reduced(5, 1), juce::Justification::centredLeft,
                         1, 0.5f);
    }
    return panel;
}

juce::Image keysSheet(std::map<int, juce::Image>& images)
{
    constexpr int zoom = 4;
    juce::Image sheet(juce::Image::RGB, 2 * 90 * zoom, 14 * 24 * zoom, true,
                      juce::SoftwareImageType());
    juce::Graphics g(sheet);
    g.fillAll(juce::Colour(0xff2c3036));
    g.setImageResamplingQuality(juce::Graphics::lowResamplingQuality);
    int row = 0;
    for (const auto& place : allButtons)
    {
        for (int state = 0; state < 2; ++state)
        {
            const auto& image = images[state == 0 ? place.imageOff : place.imageOn];
            g.drawImageTransformed(image, juce::AffineTransform::scale((float)zoom)
                                              .translated((float)(state * 90 * zoom + 8),
                                                          (float)(row * 24 * zoom + 8)));
        }
        ++row;
    }
    for (int state = 0; state < 2; ++state)
        g.drawImageTransformed(images[30 + state], juce::AffineTransform::scale((float)zoom)
                                                       .translated((float)(state * 90 * zoom + 8),
                                                                   (float)(row * 24 * zoom + 8)));
    return sheet;
}

// The About window as it shows: picture, close key, grey version text.
juce::Image aboutPreview(std::map<int, juce::Image>& images, bool closeHighlighted)
{
    auto about = images[6].createCopy();
    juce::Graphics g(about);
    g.drawImageAt(images[closeHighlighted ? 8 : 7], aboutCloseButton.x, aboutCloseButton.y);
    g.setColour(juce::Colours::grey);
    g.drawFittedText(
        "K71VT v" K71_VERSION,
        {aboutVersionText.x, aboutVersionText.y, aboutVersionText.width, aboutVersionText.height},
        juce::Justification::left, 1);
    return about;
}

// The routing picture with the rectangles the panel cuts out of it marked.
juce::Image routingCuts(std::map<int, juce::Image>& images, bool on)
{
    auto routing = images[on ? 19 : 18].createCopy();
    juce::Graphics g(routing);
    g.setColour(juce::Colours::cyan);
    for (const auto& box :
         {routingToggleLeft, routingToggleRight, routingNode, routingWideLeft, routingWideRight})
        g.drawRect(box.x, box.y, box.width, box.height);
    return routing;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s <images folder> <output folder>\n", argv[0]);
        return 2;
    }
    juce::ScopedJuceInitialiser_GUI juce;
    const auto cwd = juce::File::getCurrentWorkingDirectory();
    auto images = loadImages(cwd.getChildFile(argv[1]));
    if (images.size() != 32)
    {
        std::fprintf(stderr, "expected 32 images, found %d\n", (int)images.size());
        return 1;
    }
    const auto out = cwd.getChildFile(argv[2]);
    out.createDirectory();
    bool ok = true;
    for (const auto size : {juce::Point<int>(400, 300), juce::Point<int>(219, 198),
                            juce::Point<int>(320, 290), juce::Point<int>(640, 580)})
        for (const bool on : {false, true})
            ok =
                artgen::writePngFile(composePanel(images, size.x, size.y, on),
                                     out.getChildFile(juce::String("preview-") +
                                                      (on ? "on-" : "off-") + juce::String(size.x) +
                                                      "x" + juce::String(size.y) + ".png")) &&
                ok;
    ok = artgen::writePngFile(keysSheet(images), out.getChildFile("keys-sheet.png")) && ok;
    ok = artgen::writePngFile(aboutPreview(images, false), out.getChildFile("about.png")) && ok;
    ok = artgen::writePngFile(aboutPreview(images, true),
                              out.getChildFile("about-close-highlighted.png")) &&
         ok;
    ok = artgen::writePngFile(routingCuts(images, false),
                              out.getChildFile("routing-off-cuts.png")) &&
         ok;
    ok = artgen::writePngFile(routingCuts(images, true), out.getChildFile("routing-on-cuts.png")) &&
         ok;
    if (!ok)
        std::fprintf(stderr, "could not write every preview\n");
    return ok ? 0 : 1;
}
