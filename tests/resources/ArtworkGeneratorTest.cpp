#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

// The pictures are drawn for the panel's layout. A change of the layout that is
// not followed by new pictures leaves the wells, slots and scales of the background
// beside the controls, so the committed files must be what the generator draws now.
TEST(ArtworkGenerator, DrawsTheCommittedImagesByteForByte)
{
    const auto home = juce::File(juce::SystemStats::getEnvironmentVariable("HOME", {}));
    const auto drawn = home.getChildFile("drawn-artwork");
    ASSERT_TRUE(drawn.createDirectory());

    juce::ChildProcess generator;
    ASSERT_TRUE(generator.start(juce::StringArray{K71_ARTGEN_PATH, drawn.getFullPathName()}));
    const auto output = generator.readAllProcessOutput();
    ASSERT_TRUE(generator.waitForProcessToFinish(60000)) << output;
    ASSERT_EQ(generator.getExitCode(), 0u) << output;

    const juce::File committed(K71_IMAGES_DIR);
    juce::StringArray names, differing;
    for (const auto& file : committed.findChildFiles(juce::File::findFiles, false, "*.png"))
        names.add(file.getFileName());
    for (const auto& file : drawn.findChildFiles(juce::File::findFiles, false, "*.png"))
        names.addIfNotAlreadyThere(file.getFileName());
    names.sort(false);
    ASSERT_EQ(names.size(), 32);
    for (const auto& name : names)
    {
        juce::MemoryBlock committedBytes, drawnBytes;
        if (!committed.getChildFile(name).loadFileAsData(committedBytes) ||
            !drawn.getChildFile(name).loadFileAsData(drawnBytes) || committedBytes != drawnBytes)
            differing.add(name);
    }
    EXPECT_TRUE(differing.isEmpty())
        << "differ from resources/images (regenerate them): " << differing.joinIntoString(", ");
}
