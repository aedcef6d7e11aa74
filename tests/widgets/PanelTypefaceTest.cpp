#include "widgets/PanelTypeface.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
struct FontPathCase
{
    const char* name;
    const char* userFontPath;
    bool folderHoldsDejaVuSans;
    const char* expected; // "<folder>" for the typeface folder
};

class PanelFontPath : public testing::TestWithParam<FontPathCase>
{
};
} // namespace

TEST_P(PanelFontPath, UserSettingFirstThenTheTypefaceFolder)
{
    const auto& c = GetParam();
    const juce::TemporaryFile folderName;
    const auto folder = folderName.getFile();
    ASSERT_TRUE(folder.createDirectory());
    if (c.folderHoldsDejaVuSans)
    {
        ASSERT_TRUE(folder.getChildFile("DejaVuSans.ttf").create());
    }

    const juce::String expected =
        juce::String(c.expected) == "<folder>" ? folder.getFullPathName() : c.expected;
    EXPECT_EQ(panelFontPath(c.userFontPath, folder), expected);
    folder.deleteRecursively();
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelFontPath,
                         testing::Values(FontPathCase{"UserPath", "/home/me/fonts;/opt/fonts", true,
                                                      "/home/me/fonts;/opt/fonts"},
                                         FontPathCase{"UserPathWithoutDejaVu", "/home/me/fonts",
                                                      false, "/home/me/fonts"},
                                         FontPathCase{"NoUserPath", "", true, "<folder>"},
                                         FontPathCase{"NoUserPathNoDejaVu", "", false, ""}),
                         [](const testing::TestParamInfo<FontPathCase>& info)
                         { return info.param.name; });

// The test main finds the typeface as the panel does.
TEST(PanelTypeface, OnlyTheTypefaceFolderIsScannedAndTheEnvironmentStaysAsItWas)
{
    // Programs the panel starts see the environment as it was.
    const char* userFontPath = std::getenv("JUCE_FONT_PATH");
    ASSERT_TRUE(userFontPath == nullptr || juce::String(userFontPath) != panelTypefaceFolder);
    if (userFontPath != nullptr ||
        !juce::File(panelTypefaceFolder).getChildFile("DejaVuSans.ttf").existsAsFile())
        GTEST_SKIP() << "needs fonts-dejavu-core and no JUCE_FONT_PATH of the user's";

    for (const auto& family : juce::Font::findAllTypefaceNames())
        EXPECT_TRUE(family.startsWith("DejaVu")) << family;
    EXPECT_EQ(juce::Font().getTypefacePtr()->getName(), "DejaVu Sans");
}
