#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Four-character codes, the names of the platform interface: property
// selectors, scopes and status codes are four ASCII characters packed into
// 32 bits, and read in code and logs as their characters.

/** A four-character code: the four ASCII characters packed big-endian into 32 bits, so
    "nsrt" is 0x6E737274.
*/
using FourCharCode = std::uint32_t;

/** Packs four characters into a code; usable in constant expressions.

    @param code exactly four characters and the terminating NUL, e.g. "nsrt"
    @returns    the code, the first character in the top byte
*/
constexpr FourCharCode fourCC(const char (&code)[5]) noexcept
{
    return (FourCharCode)(std::uint8_t)code[0] << 24 | (FourCharCode)(std::uint8_t)code[1] << 16 |
           (FourCharCode)(std::uint8_t)code[2] << 8 | (FourCharCode)(std::uint8_t)code[3];
}

/** The code as text, for logs and test failures: its four characters when all are
    printable ASCII, otherwise the code in hex as 0x followed by eight upper-case digits.
*/
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
