// Paints every embedded picture and writes them as PNG files:
//   k71_artgen <output folder>
#include "ArtCatalogue.h"
#include "PngFile.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    const auto folder = artgen::outputFolderArgument(argc, argv);
    if (!folder)
        return 2;
    juce::ScopedJuceInitialiser_GUI juce;

    for (const auto& entry : artgen::artCatalogue())
    {
        const auto image = entry.paint();
        if (image.getWidth() != entry.width || image.getHeight() != entry.height ||
            !image.hasAlphaChannel())
        {
            std::fprintf(stderr, "%s: painted at the wrong size or without alpha\n",
                         entry.fileName);
            return 1;
        }
        if (!artgen::writePngFile(image, folder->getChildFile(entry.fileName)))
        {
            std::fprintf(stderr, "cannot write %s\n", entry.fileName);
            return 1;
        }
    }
    std::printf("wrote %d images to %s\n", (int)artgen::artCatalogue().size(),
                folder->getFullPathName().toRawUTF8());
    return 0;
}
