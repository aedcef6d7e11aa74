#include "WidgetTestSupport.h"

#include "widgets/TavrinLabel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace
{
float referenceWidthAt(float height)
{
    juce::Font font;
    font.setHeight(height);
    return font.getStringWidthFloat("-63.5 dB");
}

int ceilWidthAt(float height)
{
    return (int)std::ceil(referenceWidthAt(height));
}

float fittedHeight(TavrindBLabelLookAndFeel& look, int width)
{
    juce::Label label;
    label.setSize(width, 15);
    return look.getLabelFont(label).getHeight();
}

TEST(DbLabelLook, LargestWholeHeightAtWhichTheReferenceFitsTheWidth)
{
    ASSERT_GT(referenceWidthAt(13.0f), (float)ceilWidthAt(12.0f));
    ASSERT_GT(referenceWidthAt(1.0f), 1.0f);
    struct Case
    {
        int width;
        float height;
    };
    TavrindBLabelLookAndFeel look;
    for (const auto& c : {Case{1000, 20.0f}, Case{ceilWidthAt(20.0f), 20.0f},
                          Case{ceilWidthAt(12.0f), 12.0f}, Case{ceilWidthAt(12.0f) - 1, 11.0f},
                          Case{ceilWidthAt(1.0f), 1.0f}, Case{1, 0.1f}, Case{0, 0.1f}})
        EXPECT_FLOAT_EQ(fittedHeight(look, c.width), c.height) << c.width;
}

// A default sans-serif face in which every character of the reference text is
// half the font height wide, so "-63.5 dB" is exactly four heights wide.
class HalfHeightGlyphs : public testing::Test
{
  protected:
    HalfHeightGlyphs()
    {
        juce::Typeface::Ptr face = new juce::CustomTypeface();
        auto& custom = static_cast<juce::CustomTypeface&>(*face);
        custom.setCharacteristics("Half height", 0.8f, false, false, ' ');
        for (const char* c = "-63.5 dB"; *c != 0; ++c)
            custom.addGlyph((juce::juce_wchar)*c, {}, 0.5f);
        juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypeface(face);
    }
    ~HalfHeightGlyphs() override
    {
        juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypeface(nullptr);
    }
};

TEST_F(HalfHeightGlyphs, TextExactlyAsWideAsTheLabelFits)
{
    TavrindBLabelLookAndFeel look;
    ASSERT_EQ(referenceWidthAt(12.0f), 48.0f);
    struct Case
    {
        int width;
        float height;
    };
    for (const auto& c : {Case{80, 20.0f}, Case{79, 19.0f}, Case{48, 12.0f}, Case{47, 11.0f},
                          Case{4, 1.0f}, Case{3, 0.1f}})
        EXPECT_FLOAT_EQ(fittedHeight(look, c.width), c.height) << c.width;
}

TEST(DbLabelLook, ReturnsThePlainDefaultSansSerif)
{
    TavrindBLabelLookAndFeel look;
    juce::Label label;
    label.setSize(43, 15);
    label.setFont(juce::Font("Serif", 30.0f, juce::Font::bold | juce::Font::italic));
    const auto font = look.getLabelFont(label);
    EXPECT_EQ(font.getTypefaceName(), juce::Font::getDefaultSansSerifFontName());
    EXPECT_FALSE(font.isBold());
    EXPECT_FALSE(font.isItalic());
}

TEST(DbLabelLook, OnlyTheWholeLabelWidthCounts)
{
    TavrindBLabelLookAndFeel look;
    const int width = ceilWidthAt(14.0f);
    std::set<float> heights;
    for (const auto* text : {"", "0.0 dB", "-63.5 dB", "a much longer text than the reference"})
    {
        juce::Label label("value", text);
        label.setFont(juce::Font(40.0f));
        label.setBorderSize({0, 20, 0, 20});
        label.setSize(width, 15);
        heights.insert(look.getLabelFont(label).getHeight());
    }
    EXPECT_EQ(heights, std::set<float>{14.0f});
    EXPECT_FLOAT_EQ(fittedHeight(look, ceilWidthAt(9.0f)), 9.0f);
}

TEST(DbLabelLook, TheLabelsOwnFontDoesNotChangeTheDrawing)
{
    TavrindBLabelLookAndFeel look;
    const auto render = [&look](const juce::Font& ownFont)
    {
        juce::Label label("value", "-12.5 dB");
        label.setColour(juce::Label::textColourId, juce::Colours::black);
        label.setFont(ownFont);
        label.setLookAndFeel(&look);
        label.setSize(43, 15);
        auto image = label.createComponentSnapshot(label.getLocalBounds());
        label.setLookAndFeel(nullptr);
        return image;
    };
    const auto small = render(juce::Font(6.0f));
    const auto large = render(juce::Font(30.0f, juce::Font::bold));
    EXPECT_FALSE(widgettest::paintedArea(small).isEmpty());
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 43; ++x)
            ASSERT_EQ(small.getPixelAt(x, y), large.getPixelAt(x, y)) << x << "," << y;
}

// Asks for a font from a framework thread that is told to exit while it
// waits for the message-manager lock.
class FontRequestThread : public juce::Thread
{
  public:
    FontRequestThread(TavrindBLabelLookAndFeel& l, juce::Label& lb)
        : juce::Thread("font request"), look(l), label(lb)
    {
    }

    void run() override
    {
        aboutToAsk.signal();
        height = look.getLabelFont(label).getHeight();
    }

    TavrindBLabelLookAndFeel& look;
    juce::Label& label;
    juce::WaitableEvent aboutToAsk;
    float height = -1.0f;
};

float heightWithoutTheLock(TavrindBLabelLookAndFeel& look, juce::Label& label)
{
    FontRequestThread thread(look, label);
    thread.startThread();
    // The message thread stays here, so the lock cannot be gained before the exit signal.
    EXPECT_TRUE(thread.aboutToAsk.wait(5000));
    thread.signalThreadShouldExit();
    EXPECT_TRUE(thread.waitForThreadToExit(5000));
    k71test::flushPostedMessages();
    return thread.height;
}

TEST(DbLabelLook, WithoutTheLockTheLastFittedHeightIsReturned)
{
    TavrindBLabelLookAndFeel look;
    juce::Label wide;
    wide.setSize(1000, 15);
    EXPECT_FLOAT_EQ(heightWithoutTheLock(look, wide), 8.0f) << "before any fit";

    EXPECT_FLOAT_EQ(fittedHeight(look, ceilWidthAt(11.0f)), 11.0f);
    EXPECT_FLOAT_EQ(heightWithoutTheLock(look, wide), 11.0f);
}

// Takes unlocked copies over and over while the message thread fits.
class UnlockedCopies : public juce::Thread
{
  public:
    UnlockedCopies(TavrindBLabelLookAndFeel& l, juce::Label& lb)
        : juce::Thread("unlocked copies"), look(l), label(lb)
    {
    }

    void run() override
    {
        signalThreadShouldExit();
        for (int i = 0; i < 3000; ++i)
            heights.insert(look.getLabelFont(label).getHeight());
    }

    TavrindBLabelLookAndFeel& look;
    juce::Label& label;
    std::set<float> heights;
};

TEST(DbLabelLook, UnlockedCopiesDuringFitsSeeOnlyCompletedFits)
{
    TavrindBLabelLookAndFeel look;
    juce::Label narrow, wide, unused;
    narrow.setSize(ceilWidthAt(7.0f), 15);
    wide.setSize(ceilWidthAt(16.0f), 15);
    UnlockedCopies copies(look, unused);
    copies.startThread();
    int fits = 0;
    while (copies.isThreadRunning() || fits < 2)
    {
        look.getLabelFont(narrow);
        look.getLabelFont(wide);
        fits += 2;
    }
    EXPECT_TRUE(copies.waitForThreadToExit(5000));
    for (float h : copies.heights)
        EXPECT_TRUE(h == 8.0f || h == 7.0f || h == 16.0f) << h;
}
} // namespace
