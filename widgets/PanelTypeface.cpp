#include "widgets/PanelTypeface.h"

#include <cstdlib>

const char* const panelTypefaceFolder = "/usr/share/fonts/truetype/dejavu";

juce::String panelFontPath(const juce::String& userFontPath, const juce::File& typefaceFolder)
{
    if (userFontPath.isNotEmpty())
        return userFontPath;
    if (typefaceFolder.getChildFile("DejaVuSans.ttf").existsAsFile())
        return typefaceFolder.getFullPathName();
    return {};
}

void findPanelTypeface()
{
    const juce::String userFontPath(juce::CharPointer_UTF8(std::getenv("JUCE_FONT_PATH")));
    const auto fontPath = panelFontPath(userFontPath, juce::File(panelTypefaceFolder));
    if (fontPath.isEmpty() || fontPath == userFontPath)
        return;

    setenv("JUCE_FONT_PATH", fontPath.toRawUTF8(), 1);
    // Listing the typefaces makes JUCE scan its folders now, while the
    // variable names ours.
    juce::Font::findAllTypefaceNames();
    unsetenv("JUCE_FONT_PATH");
}
