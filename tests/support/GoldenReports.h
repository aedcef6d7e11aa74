#pragma once

// The exact output reports the program sends to the interface, written out
// byte for byte and apart from the code that builds them, so that any change
// to a sent byte fails a test.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace k71test::golden
{
using ReportBytes = std::array<std::uint8_t, 27>;

// clang-format off
//                                  0     1     2     3     4     5     6     7     8
inline constexpr ReportBytes attach = {
                                    0x16, 0x34, 0x1a, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00};
inline constexpr ReportBytes monitoringOn = {
                                    0x16, 0x34, 0x2c, 0x00, 0x01, 0x05, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00};
inline constexpr ReportBytes monitoringOff = {
                                    0x16, 0x34, 0x2c, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00};
// The channel-status report with zero in its two variable bytes.
inline constexpr ReportBytes channelStatusFrame = {
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x04};
//                                 18    19    20    21    22    23    24    25    26
// clang-format on

constexpr std::size_t channelStatusFlagIndex = 24, channelStatusRateIndex = 25;

inline constexpr ReportBytes monitoring(bool on)
{
    return on ? monitoringOn : monitoringOff;
}

// Flag byte: bit 0 "Pro", bit 2 "NoneCopy"; rate code 0x20 for 48 kHz, 0x30
// for 32 kHz, 0x00 otherwise.
inline constexpr ReportBytes channelStatus(std::uint8_t flagByte, std::uint8_t rateCode)
{
    ReportBytes bytes = channelStatusFrame;
    bytes[channelStatusFlagIndex] = flagByte;
    bytes[channelStatusRateIndex] = rateCode;
    return bytes;
}

// Two lower-case hex digits per byte, separated by spaces: "16 34 1a".
template <typename Bytes> std::string hexText(const Bytes& bytes)
{
    std::string text;
    for (const std::uint8_t byte : bytes)
    {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += (text.empty() ? "" : " ") + std::string(digits);
    }
    return text;
}

// The simulator's log line for the report sent as output report 0 and
// accepted: "hid id=0 16 34 1a ... status=0x0".
inline std::string simulatorLogLine(const ReportBytes& bytes)
{
    return "hid id=0 " + hexText(bytes) + " status=0x0";
}
} // namespace k71test::golden
