#include "ArtStyle.h"

#include <juce_core/juce_core.h>

namespace artgen
{
namespace
{
juce::Typeface::Ptr loadTypeface(const char* path)
{
    juce::MemoryBlock data;
    if (!juce::File(path).loadFileAsData(data) || data.getSize() == 0)
    {
        std::fprintf(stderr, "artgen: cannot read %s (install fonts-dejavu-core)\n", path);
        std::exit(1);
    }
    return juce::Typeface::createSystemTypefaceFor(data.getData(), data.getSize());
}

juce::Colour lightColour(KeyLight light, bool top)
{
    switch (light)
    {
    case KeyLight::amber:
        return top ? juce::Colour(0xffffd77a) : juce::Colour(0xfff09a22);
    case KeyLight::red:
        return top ? juce::Colour(0xffff8a78) : juce::Colour(0xffd42a1e);
    case KeyLight::green:
        return top ? juce::Colour(0xffb4ff8e) : juce::Colour(0xff3cb83a);
    case KeyLight::violet:
        return top ? juce::Colour(0xffdcc2ff) : juce::Colour(0xff8c52e6);
    case KeyLight::off:
        break;
    }
    return top ? colours::keyFaceTop : colours::keyFaceBottom;
}
} // namespace

juce::Font panelFont(float height, bool bold)
{
    static const juce::Typeface::Ptr regular =
        loadTypeface("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    static const juce::Typeface::Ptr heavy =
        loadTypeface("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    return juce::Font(bold ? heavy : regular).withHeight(height);
}

juce::Image makeCanvas(int width, int height)
{
    return juce::Image(juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
}

juce::Rectangle<float> toFloat(const geometry::Box& box)
{
    return {(float)box.x, (float)box.y, (float)box.width, (float)box.height};
}

float textWidth(const juce::Font& font, const juce::String& text)
{
    return font.getStringWidthFloat(text);
}

void paintBrushedMetal(juce::Graphics& g, juce::Rectangle<int> area, juce::Colour base, int seed)
{
    g.setColour(base);
    g.fillRect(area);
    juce::Random random(seed);
    // Long thin streaks, a little lighter or darker than the base.
    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        const float rowShade = (random.nextFloat() - 0.5f) * 0.035f;
        g.setColour(rowShade > 0 ? juce::Colours::white.withAlpha(rowShade)
                                 : juce::Colours::black.withAlpha(-rowShade));
        g.fillRect(area.getX(), y, area.getWidth(), 1);
        for (int streak = 0; streak < area.getWidth() / 40; ++streak)
        {
            const int x = area.getX() + random.nextInt(juce::jmax(1, area.getWidth()));
            const int length = 10 + random.nextInt(60);
            const float alpha = random.nextFloat() * 0.03f;
            g.setColour(random.nextBool() ? juce::Colours::white.withAlpha(alpha)
                                          : juce::Colours::black.withAlpha(alpha));
            g.fillRect(x, y, length, 1);
        }
    }
    // Anodised sheen: slightly lighter towards the top.
    g.setGradientFill(juce::ColourGradient(
        juce::Colours::white.withAlpha(0.05f), 0.0f, (float)area.getY(),
        juce::Colours::black.withAlpha(0.08f), 0.0f, (float)area.getBottom(), false));
    g.fillRect(area);
}

void paintBevel(juce::Graphics& g, juce::Rectangle<float> area, float cornerSize, bool raised)
{
    const auto light = juce::Colours::white.withAlpha(0.18f);
    const auto dark = juce::Colours::black.withAlpha(0.55f);
    auto inner = area.reduced(0.5f);
    g.setColour(raised ? dark : light);
    g.drawRoundedRectangle(
        inner.translated(0.5f, 0.5f).withTrimmedRight(0.5f).withTrimmedBottom(0.5f), cornerSize,
        1.0f);
    g.setColour(raised ? light : dark);
    g.drawRoundedRectangle(inner.withTrimmedRight(0.5f).withTrimmedBottom(0.5f), cornerSize, 1.0f);
}

void paintScrew(juce::Graphics& g, juce::Point<float> centre, float radius, float angle)
{
    const auto head = juce::Rectangle<float>(radius * 2, radius * 2).withCentre(centre);
    g.setColour(juce::Colours::black.withAlpha(0.6f));
    g.fillEllipse(head.expanded(1.0f).translated(0.4f, 0.6f));
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xffb9bec4), head.getX(), head.getY(),
                                           juce::Colour(0xff565b62), head.getRight(),
                                           head.getBottom(), false));
    g.fillEllipse(head);
    const auto along = juce::Point<float>(std::cos(angle), std::sin(angle)) * (radius * 0.75f);
    g.setColour(juce::Colour(0xff24272b));
    g.drawLine(juce::Line<float>(centre - along, centre + along), juce::jmax(1.0f, radius * 0.3f));
}

void paintLegend(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
                 float height, juce::Justification justification, juce::Colour colour)
{
    auto font = panelFont(height);
    const float width = textWidth(font, text);
    if (width > area.getWidth())
        font.setHorizontalScale(area.getWidth() / width);
    g.setFont(font);
    g.setColour(colour);
    g.drawText(text, area, justification, false);
}

juce::Range<float> paintGridLegend(juce::Graphics& g, const juce::String& text,
                                   juce::Rectangle<float> area, float height,
                                   juce::Justification justification, float tracking,
                                   juce::Colour colour)
{
    auto font = panelFont(height);
    const int count = text.length();
    if (count == 0)
        return {};

    const auto naturalWidth = [&] { return textWidth(font, text) + tracking * (float)(count - 1); };
    if (naturalWidth() > area.getWidth() && count > 1)
        tracking = juce::jmax(0.0f, (area.getWidth() - textWidth(font, text)) / (float)(count - 1));
    if (naturalWidth() > area.getWidth())
        font.setHorizontalScale(area.getWidth() / textWidth(font, text));
    const float width = naturalWidth();

    // Digits and capitals sit centred on the area's middle.
    juce::GlyphArrangement reference;
    reference.addLineOfText(font, "0", 0.0f, 0.0f);
    juce::Path digit;
    reference.createPath(digit);
    const float baseline = std::round(area.getCentreY() - digit.getBounds().getY() * 0.5f);

    float left = area.getX();
    if (justification.testFlags(juce::Justification::right))
        left = area.getRight() - width;
    else if (justification.testFlags(juce::Justification::horizontallyCentred))
        left = area.getCentreX() - width * 0.5f;
    left = std::round(left);

    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText(font, text, 0.0f, 0.0f);
    g.setColour(colour);
    float right = left;
    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
    {
        auto& glyph = glyphs.getGlyph(i);
        const float x = std::round(left + glyph.getLeft() + tracking * (float)i);
        glyph.moveBy(x - glyph.getLeft(), baseline);
        glyph.draw(g);
        right = glyph.getRight();
    }
    return {left, right};
}

void paintKey(juce::Graphics& g, juce::Rectangle<float> area, const juce::String& text,
              KeyLight light, float textHeight)
{
    constexpr float keyTracking = 1.0f;
    const float corner = juce::jmin(3.0f, area.getHeight() * 0.2f);
    const bool lit = light != KeyLight::off;

    // Bezel the key sits in.
    g.setColour(colours::keyEdge);
    g.fillRoundedRectangle(area, corner + 0.5f);

    const auto face = area.reduced(1.0f);
    g.setGradientFill(juce::ColourGradient(lightColour(light, true), 0.0f, face.getY(),
                                           lightColour(light, false), 0.0f, face.getBottom(),
                                           false));
    g.fillRoundedRectangle(face, corner);

    if (lit)
    {
        // Light from behind the cap: brightest in the middle.
        g.setGradientFill(juce::ColourGradient(
            juce::Colours::white.withAlpha(0.35f), face.getCentreX(), face.getCentreY(),
            juce::Colours::white.withAlpha(0.0f), face.getX(), face.getCentreY(), true));
        g.fillRoundedRectangle(face, corner);
    }

    // Top highlight and bottom shade of the cap.
    g.setColour(juce::Colours::white.withAlpha(lit ? 0.55f : 0.22f));
    g.drawLine(face.getX() + corner, face.getY() + 0.5f, face.getRight() - corner,
               face.getY() + 0.5f, 1.0f);
    g.setColour(juce::Colours::black.withAlpha(lit ? 0.25f : 0.4f));
    g.drawLine(face.getX() + corner, face.getBottom() - 0.5f, face.getRight() - corner,
               face.getBottom() - 0.5f, 1.0f);

    const auto legendColour = lit ? juce::Colour(0xff1d1408) : colours::keyLegend;
    paintGridLegend(g, text, face.reduced(2.0f, 0.0f), textHeight, juce::Justification::centred,
                    keyTracking, legendColour);
}
} // namespace artgen
