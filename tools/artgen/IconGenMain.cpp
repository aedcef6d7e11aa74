// Paints the program's desktop icon at each installed size:
//   k71_icongen <output folder>    writes k71vt-<size>.png
#include "IconArt.h"
#include "PngFile.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    const auto folder = artgen::outputFolderArgument(argc, argv);
    if (!folder)
        return 2;
    juce::ScopedJuceInitialiser_GUI juce;
    for (const int size : artgen::appIconSizes())
    {
        const auto name = "k71vt-" + juce::String(size) + ".png";
        if (!artgen::writePngFile(artgen::paintAppIcon(size), folder->getChildFile(name)))
        {
            std::fprintf(stderr, "cannot write %s\n", name.toRawUTF8());
            return 1;
        }
    }
    std::printf("wrote %d icons to %s\n", (int)artgen::appIconSizes().size(),
                folder->getFullPathName().toRawUTF8());
    return 0;
}
