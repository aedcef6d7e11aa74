#include "PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace artgen
{
namespace
{
struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
} // namespace

bool writePngFile(const juce::Image& image, const juce::File& file)
{
    std::unique_ptr<std::FILE, FileCloser> out(
        std::fopen(file.getFullPathName().toRawUTF8(), "wb"));
    if (out == nullptr)
        return false;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_init_io(png, out.get());

    const int width = image.getWidth();
    const int height = image.getHeight();
    const bool alpha = image.hasAlphaChannel();
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    // Unfiltered rows, packed hard: the panel decodes these at every start,
    // and undoing the row filters was most of that work.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_write_info(png, info);

    // Straight (not premultiplied) colour, as the framework's own writer
    // stores it.
    const juce::Image::BitmapData pixels(image, juce::Image::BitmapData::readOnly);
    std::vector<png_byte> row((size_t)width * (alpha ? 4 : 3));
    for (int y = 0; y < height; ++y)
    {
        png_byte* dst = row.data();
        for (int x = 0; x < width; ++x)
        {
            const juce::uint8* src = pixels.getPixelPointer(x, y);
            if (alpha)
            {
                juce::PixelARGB p(*(const juce::PixelARGB*)src);
                p.unpremultiply();
                *dst++ = p.getRed();
                *dst++ = p.getGreen();
                *dst++ = p.getBlue();
                *dst++ = p.getAlpha();
            }
            else
            {
                const auto& p = *(const juce::PixelRGB*)src;
                *dst++ = p.getRed();
                *dst++ = p.getGreen();
                *dst++ = p.getBlue();
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fflush(out.get()) == 0;
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
