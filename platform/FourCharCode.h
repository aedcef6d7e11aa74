#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Property selectors, scopes and status codes are four-character codes: the
// four ASCII characters packed big-endian into 32 bits, so "nsrt" reads as
// 0x6E737274. fourCC("nsrt") is usable in constant expressions.
using FourCharCode = std::uint32_t;

constexpr FourCharCode fourCC(const char (&code)[5]) noexcept
{
    return (FourCharCode)(std::uint8_t)code[0] << 24 | (FourCharCode)(std::uint8_t)code[1] << 16 |
           (FourCharCode)(std::uint8_t)code[2] << 8 | (FourCharCode)(std::uint8_t)code[3];
}

// "nsrt" for 0x6E737274; codes with non-printable bytes come out in hex.
inline std::string fourCCToString(FourCharCode code)
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
