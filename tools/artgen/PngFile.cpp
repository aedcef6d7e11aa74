#include "PngFile.h"

#include <cstdio>

namespace artgen
{
bool writePngFile(const juce::Image& image, const juce::File& file)
{
    // FileOutputStream appends to an existing file, so start from nothing.
    if (file.existsAsFile() && !file.deleteFile())
        return false;
    juce::FileOutputStream out(file);
    juce::PNGImageFormat png;
    return out.openedOk() && png.writeImageToStream(image, out);
}

std::optional<juce::File> outputFolderArgument(int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return std::nullopt;
    }
    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]);
    if (!folder.createDirectory())
    {
        std::fprintf(stderr, "cannot create %s\n", folder.getFullPathName().toRawUTF8());
        return std::nullopt;
    }
    return folder;
}
} // namespace artgen
