#include "panel/WellFormedArguments.h"

#include <vector>

namespace juce
{
// The framework's own record of main's arguments, read by its command-line calls.
extern const char* const* juce_argv;
extern int juce_argc;
} // namespace juce

std::string asWellFormedUtf8(const std::string& bytes)
{
    const auto byteAt = [&bytes](std::size_t i) { return (unsigned char)bytes[i]; };
    std::string text;
    for (std::size_t i = 0; i < bytes.size();)
    {
        const unsigned char lead = byteAt(i);
        const std::size_t length = lead < 0x80                    ? 1
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        // The second byte's range rules out overlong forms, surrogates and code points
        // beyond U+10FFFF.
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        bool wellFormed = length != 0 && i + length <= bytes.size();
        for (std::size_t k = 1; wellFormed && k < length; ++k)
            wellFormed = k == 1 ? byteAt(i + 1) >= low && byteAt(i + 1) <= high
                                : byteAt(i + k) >= 0x80 && byteAt(i + k) <= 0xBF;
        if (wellFormed)
            text.append(bytes, i, length);
        else
            text += "\xEF\xBF\xBD";
        i += wellFormed ? length : 1;
    }
    return text;
}

void makeArgumentsWellFormed()
{
    static std::vector<std::string> texts;
    static std::vector<const char*> pointers;
    if (juce::juce_argv == nullptr || !pointers.empty())
        return;
    for (int i = 0; i < juce::juce_argc; ++i)
        texts.push_back(asWellFormedUtf8(juce::juce_argv[i] != nullptr ? juce::juce_argv[i] : ""));
    for (const auto& text : texts)
        pointers.push_back(text.c_str());
    pointers.push_back(nullptr);
    juce::juce_argv = pointers.data();
}
