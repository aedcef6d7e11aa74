#pragma once

#include <cctype>
#include <initializer_list>
#include <sstream>
#include <string>

namespace k71test
{
// A parameterised test's name made of the row's own values, so that it stays
// the same across builds and row insertions: letters and digits are kept, a
// leading minus reads "minus", every other run of characters becomes one
// underscore, and an empty part reads "none".
inline std::string testName(std::initializer_list<std::string> parts)
{
    std::string name;
    for (const auto& part : parts)
    {
        if (!name.empty())
            name += '_';
        if (part.empty())
        {
            name += "none";
            continue;
        }
        std::size_t i = 0;
        if (part.size() > 1 && part[0] == '-' && std::isdigit((unsigned char)part[1]))
        {
            name += "minus";
            i = 1;
        }
        bool gap = false;
        for (; i < part.size(); ++i)
        {
            const auto c = (unsigned char)part[i];
            if (std::isalnum(c))
            {
                if (gap && !name.empty() && name.back() != '_')
                    name += '_';
                name += (char)c;
                gap = false;
            }
            else
                gap = true;
        }
    }
    return name;
}

// A number as the shortest text that reads it back ("44100", "44100.5", "-1").
template <typename Number> std::string numberText(Number value)
{
    std::ostringstream out;
    out.precision(12);
    out << value;
    return out.str();
}
} // namespace k71test
