#include "platform/FourCharCode.h"

#include <cstdio>

std::string fourCCToString(FourCharCode code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = (char)((code >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E)
        {
            char hex[11];
            std::snprintf(hex, sizeof(hex), "0x%08X", (unsigned)code);
            return hex;
        }
        text += c;
    }
    return text;
}
