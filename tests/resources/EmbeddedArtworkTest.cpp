#include "resources/BinaryData.h"

#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <set>

namespace
{
struct Artwork
{
    int number;
    const char* data;
    int size;
    int width;
    int height;
};

#define K71_ART(n, w, h)                                                                           \
    {                                                                                              \
        n, DEDEVUZIZ::temp_binary_data_##n, DEDEVUZIZ::temp_binary_data_##n##Size, w, h            \
    }

const Artwork artworkTable[] = {
    K71_ART(0, 61, 20),  K71_ART(1, 61, 20),    K71_ART(2, 61, 20),    K71_ART(3, 61, 20),
    K71_ART(4, 61, 20),  K71_ART(5, 61, 20),    K71_ART(6, 528, 212),  K71_ART(7, 48, 17),
    K71_ART(8, 48, 17),  K71_ART(10, 53, 20),   K71_ART(11, 53, 20),   K71_ART(12, 73, 20),
    K71_ART(13, 73, 20), K71_ART(14, 84, 20),   K71_ART(15, 84, 20),   K71_ART(16, 53, 20),
    K71_ART(17, 53, 20), K71_ART(18, 524, 442), K71_ART(19, 524, 442), K71_ART(21, 27, 14),
    K71_ART(22, 27, 14), K71_ART(23, 400, 300), K71_ART(24, 68, 21),   K71_ART(25, 68, 21),
    K71_ART(26, 35, 19), K71_ART(27, 35, 19),   K71_ART(28, 84, 20),   K71_ART(29, 84, 20),
    K71_ART(30, 15, 19), K71_ART(31, 15, 19),   K71_ART(32, 73, 20),   K71_ART(33, 73, 20),
};
#undef K71_ART
} // namespace

TEST(EmbeddedArtwork, EveryImageDecodesAtItsTableSize)
{
    ASSERT_EQ(std::size(artworkTable), 32u);
    for (const auto& art : artworkTable)
    {
        SCOPED_TRACE(art.number);
        const auto image = juce::ImageCache::getFromMemory(art.data, art.size);
        ASSERT_TRUE(image.isValid());
        EXPECT_EQ(image.getWidth(), art.width);
        EXPECT_EQ(image.getHeight(), art.height);
        EXPECT_TRUE(image.hasAlphaChannel());
    }
}

TEST(EmbeddedArtwork, EachArrayIsOneWholePngFile)
{
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static const unsigned char endChunk[] = {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    for (const auto& art : artworkTable)
    {
        SCOPED_TRACE(art.number);
        ASSERT_GT(art.size, 16);
        EXPECT_EQ(memcmp(art.data, signature, sizeof(signature)), 0);
        EXPECT_EQ(memcmp(art.data + art.size - sizeof(endChunk), endChunk, sizeof(endChunk)), 0);
    }
}

// The build embeds every numbered file of the images folder, so the folder is
// what the program carries: the table's images, byte for byte, and no others.
TEST(EmbeddedArtwork, TheArraysAreTheImageFilesAndThereIsNoNineOrTwenty)
{
    const juce::File folder(K71_IMAGES_DIR);
    std::set<int> numbers;
    for (const auto& file : folder.findChildFiles(juce::File::findFiles, false, "*.png"))
        numbers.insert(file.getFileName().upToFirstOccurrenceOf("-", false, false).getIntValue());
    EXPECT_EQ(numbers.count(9), 0u);
    EXPECT_EQ(numbers.count(20), 0u);

    std::set<int> tableNumbers;
    for (const auto& art : artworkTable)
    {
        tableNumbers.insert(art.number);
        SCOPED_TRACE(art.number);
        const auto files = folder.findChildFiles(
            juce::File::findFiles, false, juce::String(art.number).paddedLeft('0', 2) + "-*.png");
        ASSERT_EQ(files.size(), 1);
        juce::MemoryBlock bytes;
        ASSERT_TRUE(files[0].loadFileAsData(bytes));
        EXPECT_EQ(bytes, juce::MemoryBlock(art.data, (size_t)art.size));
    }
    EXPECT_EQ(numbers, tableNumbers);
}

TEST(EmbeddedArtwork, BytesThatDoNotDecodeGiveANullImage)
{
    static const char notAnImage[] = "this is not a PNG file";
    EXPECT_FALSE(juce::ImageCache::getFromMemory(notAnImage, (int)sizeof(notAnImage)).isValid());
}

namespace
{
float meanBrightness(const juce::Image& image, juce::Rectangle<int> area)
{
    float sum = 0.0f;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            sum += image.getPixelAt(x, y).getPerceivedBrightness();
    return sum / (float)(area.getWidth() * area.getHeight());
}
} // namespace

// The link key is never shown, so the background has no dark well waiting for
// it in the top-right corner: there it is as light as the plain metal beside.
TEST(EmbeddedArtwork, BackgroundHasNoWellWhereTheLinkKeyWouldSit)
{
    const auto background = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_23,
                                                            DEDEVUZIZ::temp_binary_data_23Size);
    const juce::Rectangle<int> linkKey(338, 4, 28, 17);
    const float plain = meanBrightness(background, linkKey.translated(-40, 0));
    EXPECT_NEAR(meanBrightness(background, linkKey), plain, plain * 0.1f);
}
