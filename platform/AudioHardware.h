#pragma once

// Audio hardware objects: a system object (id 1) that lists the audio
// devices, and one object per device whose properties are addressed by
// (selector, scope, element). Backed by the simulated audio system of
// platform/Simulation.h; the calls behave like the ones the device link is
// written against and may be made from any thread.

#include "platform/FourCharCode.h"

#include <cstdint>
#include <ostream>
#include <string>

using OSStatus = std::int32_t;
using UInt32 = std::uint32_t;
using AudioObjectID = std::uint32_t;
using AudioObjectPropertySelector = std::uint32_t;
using AudioObjectPropertyScope = std::uint32_t;
using AudioObjectPropertyElement = std::uint32_t;

struct AudioObjectPropertyAddress
{
    AudioObjectPropertySelector selector = 0;
    AudioObjectPropertyScope scope = 0;
    AudioObjectPropertyElement element = 0;
};

// Lets code read like the addresses it means: propertyAddress("nsrt", "****", 0).
constexpr AudioObjectPropertyAddress propertyAddress(const char (&selector)[5],
                                                     const char (&scope)[5],
                                                     AudioObjectPropertyElement element) noexcept
{
    return {fourCC(selector), fourCC(scope), element};
}

constexpr bool operator==(const AudioObjectPropertyAddress& a,
                          const AudioObjectPropertyAddress& b) noexcept
{
    return a.selector == b.selector && a.scope == b.scope && a.element == b.element;
}
constexpr bool operator!=(const AudioObjectPropertyAddress& a,
                          const AudioObjectPropertyAddress& b) noexcept
{
    return !(a == b);
}

// Objects, scopes and elements.
constexpr AudioObjectID audioSystemObject = 1;
constexpr AudioObjectPropertyScope audioScopeGlobal = fourCC("glob");
constexpr AudioObjectPropertyScope audioScopeInput = fourCC("inpt");
constexpr AudioObjectPropertyScope audioScopeOutput = fourCC("outp");
constexpr AudioObjectPropertyScope audioScopeWildcard = fourCC("****");
constexpr AudioObjectPropertySelector audioSelectorWildcard = fourCC("****");
constexpr AudioObjectPropertyElement audioElementMain = 0;
constexpr AudioObjectPropertyElement audioElementWildcard = 0xFFFFFFFF;

// ('nsrt', '****', 0)
inline std::ostream& operator<<(std::ostream& out, const AudioObjectPropertyAddress& address)
{
    out << "('" << fourCCToString(address.selector) << "', '" << fourCCToString(address.scope)
        << "', ";
    if (address.element == audioElementWildcard)
        out << "0xFFFFFFFF";
    else
        out << address.element;
    return out << ")";
}

// Properties and their value types (read and write with exactly this size):
//   system object 1:
//     'dev#' ('glob', 0)      AudioObjectID[]: the devices, in plug order (read-only)
//   each device:
//     'uid ', 'lnam', 'lmak'  std::string: unique id, name, manufacturer; any scope, element 0;
//                              data size sizeof(std::string) (read-only)
//     'slay' (inpt|outp, 0)   stream configuration: UInt32 buffer count, then one UInt32
//                              channel count per buffer; 0 buffers in a direction the device
//                              does not have (read-only)
//     'nsrt' (any scope, 0)   double: nominal sample rate; writes outside the accepted rates
//                              are refused
//     'pft ' (any scope, 0)   AudioStreamDescription: physical format; a write applies its
//                              sample rate when the device accepts it as a physical rate
//     'ssrc' (inpt, 0)        UInt32: input data source
//     'vold' (inpt|outp, 1|2; outp 0)  float: channel level in dB, clamped to the range
//     'volm' (inpt|outp, 1|2; outp 0)  float: the same level as a scalar 0..1
//     'mute' (inpt|outp, 0)   UInt32: 0 or 1
//     'thru' (inpt, 0)        UInt32: play-through 0 or 1
// A '****' scope reaches the device-wide properties only. The scoped ones exist only for
// the directions the device has.
constexpr AudioObjectPropertySelector audioPropertyDevices = fourCC("dev#");
constexpr AudioObjectPropertySelector audioPropertyUID = fourCC("uid ");
constexpr AudioObjectPropertySelector audioPropertyName = fourCC("lnam");
constexpr AudioObjectPropertySelector audioPropertyManufacturer = fourCC("lmak");
constexpr AudioObjectPropertySelector audioPropertyStreamConfiguration = fourCC("slay");
constexpr AudioObjectPropertySelector audioPropertyNominalSampleRate = fourCC("nsrt");
constexpr AudioObjectPropertySelector audioPropertyPhysicalFormat = fourCC("pft ");
constexpr AudioObjectPropertySelector audioPropertyDataSource = fourCC("ssrc");
constexpr AudioObjectPropertySelector audioPropertyVolumeDecibels = fourCC("vold");
constexpr AudioObjectPropertySelector audioPropertyVolumeScalar = fourCC("volm");
constexpr AudioObjectPropertySelector audioPropertyMute = fourCC("mute");
constexpr AudioObjectPropertySelector audioPropertyPlayThru = fourCC("thru");

constexpr UInt32 audioDataSourceAnalog = 0x1000B01;
constexpr UInt32 audioDataSourceDigital = 0x1010B02;

// The 40-byte stream description of 'pft '.
struct AudioStreamDescription
{
    double sampleRate = 0.0;
    std::uint32_t formatID = 0;
    std::uint32_t formatFlags = 0;
    std::uint32_t bytesPerPacket = 0;
    std::uint32_t framesPerPacket = 0;
    std::uint32_t bytesPerFrame = 0;
    std::uint32_t channelsPerFrame = 0;
    std::uint32_t bitsPerChannel = 0;
    std::uint32_t reserved = 0;
};
static_assert(sizeof(AudioStreamDescription) == 40, "the physical format is 40 bytes");

constexpr std::uint32_t audioFormatLinearPCM = fourCC("lpcm");
constexpr std::uint32_t audioFormatFlagIsSignedInteger = 4;
constexpr std::uint32_t audioFormatFlagIsPacked = 8;

// Status codes: 0 is success, each failure kind has its own code.
constexpr OSStatus audioStatusOK = 0;
constexpr OSStatus audioStatusNoSuchObject = (OSStatus)fourCC("!obj");
constexpr OSStatus audioStatusUnknownProperty = (OSStatus)fourCC("who?");
constexpr OSStatus audioStatusBadPropertySize = (OSStatus)fourCC("!siz");
constexpr OSStatus audioStatusValueRefused = (OSStatus)fourCC("nope");
constexpr OSStatus audioStatusNotWritable = (OSStatus)fourCC("!wrt");
constexpr OSStatus audioStatusListenerRefused = (OSStatus)fourCC("lst!");
constexpr OSStatus audioStatusBadArgument = (OSStatus)fourCC("!arg");

// Called on the audio system's notification thread (never on the thread that made the
// change), after the value changed, with the changed addresses. The result is ignored.
using AudioObjectPropertyListenerProc = OSStatus (*)(AudioObjectID object, UInt32 addressCount,
                                                     const AudioObjectPropertyAddress* addresses,
                                                     void* clientData);

// Size of the property's value in bytes.
OSStatus AudioObjectGetPropertyDataSize(AudioObjectID object,
                                        const AudioObjectPropertyAddress* address,
                                        UInt32 qualifierSize, const void* qualifier,
                                        UInt32* outDataSize);

// Reads the value into data; *ioDataSize must be at least the value's size and is set to
// it. A failed read leaves data untouched.
OSStatus AudioObjectGetPropertyData(AudioObjectID object, const AudioObjectPropertyAddress* address,
                                    UInt32 qualifierSize, const void* qualifier, UInt32* ioDataSize,
                                    void* data);

// Writes the value; dataSize must be the value's exact size. Writing an equal value
// succeeds and notifies nothing.
OSStatus AudioObjectSetPropertyData(AudioObjectID object, const AudioObjectPropertyAddress* address,
                                    UInt32 qualifierSize, const void* qualifier, UInt32 dataSize,
                                    const void* data);

// Watches the addresses that match address (each field may be a wildcard). The same
// procedure and client data on the same object and address is kept once; a second add
// answers 0 and changes nothing. A device set to refuse listeners (sim::refuseListeners)
// answers audioStatusListenerRefused. Listeners stay until their device is unplugged.
OSStatus AudioObjectAddPropertyListener(AudioObjectID object,
                                        const AudioObjectPropertyAddress* address,
                                        AudioObjectPropertyListenerProc listener, void* clientData);
