#include "PngFile.h"

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
} // namespace artgen
