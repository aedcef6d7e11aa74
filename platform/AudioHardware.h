#pragma once

// The audio hardware interface the device link is written against: a system
// object (id 1) that lists the audio devices, and one object per device whose
// properties are addressed by (selector, scope, element) and read and written
// as plain bytes of exactly their value's size. Whichever backend the program
// is linked with implements these calls.
//
// Threads: every call may be made from any thread, also from inside a property
// listener. No call runs a listener before it returns; listeners run on a
// notification thread of the backend, never on the JUCE message thread.

#include "platform/FourCharCode.h"

#include <cstdint>
#include <ostream>
#include <string>

/** The result of every call here: audioStatusOK (0), or one of the failure codes below. */
using OSStatus = std::int32_t;
/** A 32-bit count or value: sizes, buffer counts, switches. */
using UInt32 = std::uint32_t;
/** An audio object: audioSystemObject, or one of the devices it lists. The id of an
    unplugged device names nothing any more; calls with it answer audioStatusNoSuchObject.
*/
using AudioObjectID = std::uint32_t;
/** What a property is, as a four-character code such as 'nsrt' (see the selectors below). */
using AudioObjectPropertySelector = std::uint32_t;
/** Which side of a device a property belongs to: audioScopeGlobal, audioScopeInput,
    audioScopeOutput, or audioScopeWildcard.
*/
using AudioObjectPropertyScope = std::uint32_t;
/** Which channel a property belongs to: audioElementMain (0) for the whole device or
    direction, 1 and 2 for the left and right channel.
*/
using AudioObjectPropertyElement = std::uint32_t;

/** The address of one property of an audio object.

    In a call that reads or writes, the address names one property. In a listener
    registration each field may be a wildcard, and the listener hears every changed
    address that matches the others.

    @see propertyAddress, AudioObjectAddPropertyListener
*/
struct AudioObjectPropertyAddress
{
    AudioObjectPropertySelector selector = 0;
    AudioObjectPropertyScope scope = 0;
    AudioObjectPropertyElement element = 0;
};

/** Makes an address from its codes, so code reads like the address it means.

    @param selector the selector's four characters, e.g. "nsrt"
    @param scope    the scope's four characters, e.g. "****"
    @param element  the element number
    @returns        for example {'nsrt', '****', 0} for propertyAddress("nsrt", "****", 0)
*/
constexpr AudioObjectPropertyAddress propertyAddress(const char (&selector)[5],
                                                     const char (&scope)[5],
                                                     AudioObjectPropertyElement element) noexcept
{
    return {fourCC(selector), fourCC(scope), element};
}

/** True when all three fields are the same; a wildcard only equals the same wildcard. */
constexpr bool operator==(const AudioObjectPropertyAddress& a,
                          const AudioObjectPropertyAddress& b) noexcept
{
    return a.selector == b.selector && a.scope == b.scope && a.element == b.element;
}
/** True when any of the three fields differs. */
constexpr bool operator!=(const AudioObjectPropertyAddress& a,
                          const AudioObjectPropertyAddress& b) noexcept
{
    return !(a == b);
}

// Objects, scopes and elements.

/** The system object. Its one property is audioPropertyDevices; a listener added to it
    hears ('dev#', 'glob', 0) whenever a device appears or disappears.
*/
constexpr AudioObjectID audioSystemObject = 1;
/** The device-wide scope. Device-wide properties are reached through any scope, and
    their changes are reported with this one.
*/
constexpr AudioObjectPropertyScope audioScopeGlobal = fourCC("glob");
/** The input side of a device; its properties exist only on a device with input streams. */
constexpr AudioObjectPropertyScope audioScopeInput = fourCC("inpt");
/** The output side of a device; its properties exist only on a device with output streams. */
constexpr AudioObjectPropertyScope audioScopeOutput = fourCC("outp");
/** Any scope. In a read or write it reaches the device-wide properties only; in a
    listener registration it matches every scope.
*/
constexpr AudioObjectPropertyScope audioScopeWildcard = fourCC("****");
/** Any selector; for listener registrations. */
constexpr AudioObjectPropertySelector audioSelectorWildcard = fourCC("****");
/** Element 0: the whole device, or the whole of one direction. */
constexpr AudioObjectPropertyElement audioElementMain = 0;
/** Any element; for listener registrations. */
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
// each selector below gives its addresses, its value type and what a write checks.
// Device-wide ones (element 0) are reached through any scope; the scoped ones exist
// only for the directions the device has. A write that changes nothing succeeds and
// notifies nothing; one that changes a value notifies every address it changed.

/** System object 1, ('dev#', 'glob' or '****', 0), read-only: AudioObjectID[], the
    devices in the order they were plugged; 0 bytes when there are none.
*/
constexpr AudioObjectPropertySelector audioPropertyDevices = fourCC("dev#");
/** Device-wide, read-only: the device's unique id as a std::string.

    The string properties 'uid ', 'lnam' and 'lmak' are passed as std::string objects:
    data points to a constructed std::string that the read assigns, and the size is
    sizeof(std::string).
*/
constexpr AudioObjectPropertySelector audioPropertyUID = fourCC("uid ");
/** Device-wide, read-only: the device's name as a std::string (see audioPropertyUID). */
constexpr AudioObjectPropertySelector audioPropertyName = fourCC("lnam");
/** Device-wide, read-only: the device's manufacturer as a std::string (see
    audioPropertyUID).
*/
constexpr AudioObjectPropertySelector audioPropertyManufacturer = fourCC("lmak");
/** ('slay', 'inpt' or 'outp', 0), read-only: the stream configuration of one direction,
    a UInt32 buffer count followed by one UInt32 channel count per buffer. A direction
    the device does not have reads as 0 buffers; use AudioObjectGetPropertyDataSize first,
    the size depends on the count.
*/
constexpr AudioObjectPropertySelector audioPropertyStreamConfiguration = fourCC("slay");
/** Device-wide: the nominal sample rate in Hz, a double.

    A write of a rate the device does not accept as a nominal rate answers
    audioStatusValueRefused. A change is reported as 'nsrt' and 'pft ' (the format
    carries the rate too); devices that share the clock may change with it, each
    notified on its own.
*/
constexpr AudioObjectPropertySelector audioPropertyNominalSampleRate = fourCC("nsrt");
/** Device-wide: the physical format, an AudioStreamDescription (40 bytes).

    A write takes the whole format and applies its sampleRate as the device's rate, which
    reaches rates a nominal-rate write refuses (the device link sets 32 kHz this way).
    A sampleRate the device does not accept as a physical rate answers
    audioStatusValueRefused.
*/
constexpr AudioObjectPropertySelector audioPropertyPhysicalFormat = fourCC("pft ");
/** ('ssrc', 'inpt', 0): the input data source, a UInt32, audioDataSourceAnalog or
    audioDataSourceDigital. A write of any other number answers audioStatusValueRefused;
    the device itself may report others.
*/
constexpr AudioObjectPropertySelector audioPropertyDataSource = fourCC("ssrc");
/** ('vold', 'inpt' 1|2 or 'outp' 0|1|2): a channel level in dB, a float.

    A write is clamped to the device's range for that direction; NaN answers
    audioStatusValueRefused. 'vold' and 'volm' are two views of one level: a change is
    reported as both.
*/
constexpr AudioObjectPropertySelector audioPropertyVolumeDecibels = fourCC("vold");
/** ('volm', same addresses as 'vold'): the same level as a float scalar, 0 at the bottom
    of the range and 1 at the top; a write is clamped to 0..1.
*/
constexpr AudioObjectPropertySelector audioPropertyVolumeScalar = fourCC("volm");
/** ('mute', 'inpt' or 'outp', 0): a UInt32, 1 when muted; a write of any non-zero
    value stores 1.
*/
constexpr AudioObjectPropertySelector audioPropertyMute = fourCC("mute");
/** ('thru', 'inpt', 0): play-through of the input to the output, a UInt32 0 or 1; a
    write of any non-zero value stores 1.
*/
constexpr AudioObjectPropertySelector audioPropertyPlayThru = fourCC("thru");

/** The 'ssrc' value of the analog input. */
constexpr UInt32 audioDataSourceAnalog = 0x1000B01;
/** The 'ssrc' value of the digital input. */
constexpr UInt32 audioDataSourceDigital = 0x1010B02;

/** The value of 'pft ': the format of a device's physical streams, 40 bytes.

    The device link writes stereoPcm16Format(32000.0), declared below.
*/
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

/** AudioStreamDescription::formatID of linear PCM, 'lpcm'. */
constexpr std::uint32_t audioFormatLinearPCM = fourCC("lpcm");
/** AudioStreamDescription::formatFlags bit: the samples are signed integers. */
constexpr std::uint32_t audioFormatFlagIsSignedInteger = 4;
/** AudioStreamDescription::formatFlags bit: the sample bits fill their bytes. */
constexpr std::uint32_t audioFormatFlagIsPacked = 8;

/** The interface's stream format at a rate: linear PCM, signed integer and packed,
    2 channels of 16 bits, 4 bytes per frame and per packet, 1 frame per packet.
*/
constexpr AudioStreamDescription stereoPcm16Format(double sampleRate)
{
    AudioStreamDescription format;
    format.sampleRate = sampleRate;
    format.formatID = audioFormatLinearPCM;
    format.formatFlags = audioFormatFlagIsSignedInteger | audioFormatFlagIsPacked;
    format.bytesPerPacket = 4;
    format.framesPerPacket = 1;
    format.bytesPerFrame = 4;
    format.channelsPerFrame = 2;
    format.bitsPerChannel = 16;
    return format;
}

// Status codes: 0 is success, each failure kind has its own code.

/** The call succeeded. */
constexpr OSStatus audioStatusOK = 0;
/** '!obj': no such object, e.g. the id of a device that has been unplugged. */
constexpr OSStatus audioStatusNoSuchObject = (OSStatus)fourCC("!obj");
/** 'who?': the object has no property at this address. */
constexpr OSStatus audioStatusUnknownProperty = (OSStatus)fourCC("who?");
/** '!siz': the buffer is smaller than the value (read), or not its exact size (write),
    or there is no buffer.
*/
constexpr OSStatus audioStatusBadPropertySize = (OSStatus)fourCC("!siz");
/** 'nope': the device does not take this value, e.g. a rate it does not accept. */
constexpr OSStatus audioStatusValueRefused = (OSStatus)fourCC("nope");
/** '!wrt': the property is read-only. */
constexpr OSStatus audioStatusNotWritable = (OSStatus)fourCC("!wrt");
/** 'lst!': the device takes no listener. */
constexpr OSStatus audioStatusListenerRefused = (OSStatus)fourCC("lst!");
/** '!arg': a required pointer is null. */
constexpr OSStatus audioStatusBadArgument = (OSStatus)fourCC("!arg");

/** A property listener: told which watched addresses of an object changed.

    It runs on a notification thread of the backend, never on the message thread, after
    the values changed and never inside the call that changed them: a change a listener
    makes itself is delivered after that listener has returned. (The simulated backend
    has one such thread, "k71-notify", and calls in the order the changes
    happened.) A listener may call the functions of this header; work for the message
    thread it posts there rather than waiting for it (the panel uses
    juce::MessageManager::callAsync). Once platform::stopBackend() has returned, no
    listener runs any more.

    @param object       the object whose properties changed
    @param addressCount the number of entries in addresses, at least 1
    @param addresses    the changed addresses that the registration matches, device-wide
                        ones with scope 'glob'; valid only during the call
    @param clientData   the pointer given to AudioObjectAddPropertyListener
    @returns            ignored
*/
using AudioObjectPropertyListenerProc = OSStatus (*)(AudioObjectID object, UInt32 addressCount,
                                                     const AudioObjectPropertyAddress* addresses,
                                                     void* clientData);

/** Gives the size of a property's value in bytes.

    @param object        audioSystemObject or a device
    @param address       the property
    @param qualifierSize unused by every property here: pass 0
    @param qualifier     unused by every property here: pass nullptr
    @param outDataSize   receives the size; left alone when the call fails
    @returns audioStatusOK, audioStatusNoSuchObject, audioStatusUnknownProperty, or
             audioStatusBadArgument when address or outDataSize is null
*/
OSStatus AudioObjectGetPropertyDataSize(AudioObjectID object,
                                        const AudioObjectPropertyAddress* address,
                                        UInt32 qualifierSize, const void* qualifier,
                                        UInt32* outDataSize);

/** Reads a property's value.

    @param object        audioSystemObject or a device
    @param address       the property
    @param qualifierSize unused by every property here: pass 0
    @param qualifier     unused by every property here: pass nullptr
    @param ioDataSize    in: the room in data, at least the value's size; out: the size
    @param data          receives the value
    @returns audioStatusOK, audioStatusNoSuchObject, audioStatusUnknownProperty,
             audioStatusBadPropertySize when the room is too small or data is null for a
             value that is not empty, or audioStatusBadArgument when address or
             ioDataSize is null. A failed read leaves data and *ioDataSize untouched.
*/
OSStatus AudioObjectGetPropertyData(AudioObjectID object, const AudioObjectPropertyAddress* address,
                                    UInt32 qualifierSize, const void* qualifier, UInt32* ioDataSize,
                                    void* data);

/** Writes a property's value, as the system asks a device to: checked against what the
    device accepts (see each selector).

    The change is reported to the listeners later, on the notification thread; a write
    of the value already there succeeds and notifies nothing.

    @param object        a device
    @param address       the property
    @param qualifierSize unused by every property here: pass 0
    @param qualifier     unused by every property here: pass nullptr
    @param dataSize      exactly the value's size
    @param data          the value
    @returns audioStatusOK, audioStatusNoSuchObject, audioStatusUnknownProperty,
             audioStatusNotWritable (read-only properties, the system object),
             audioStatusBadPropertySize, audioStatusValueRefused, or audioStatusBadArgument
             when address is null
*/
OSStatus AudioObjectSetPropertyData(AudioObjectID object, const AudioObjectPropertyAddress* address,
                                    UInt32 qualifierSize, const void* qualifier, UInt32 dataSize,
                                    const void* data);

/** Adds a listener for the addresses of an object that match address.

    Each field of address may be a wildcard: ('****', '****', 0xFFFFFFFF) hears every
    change of the object. The same listener, clientData and address on the same object
    is kept once: a second add answers audioStatusOK and changes nothing. There is no
    removal: a device's listeners go with the device when it is unplugged.

    @param object     audioSystemObject or a device
    @param address    the addresses to watch
    @param listener   called as described at AudioObjectPropertyListenerProc
    @param clientData handed to every call of listener
    @returns audioStatusOK, audioStatusNoSuchObject, audioStatusListenerRefused when the
             device takes no listener, or audioStatusBadArgument when address or
             listener is null
*/
OSStatus AudioObjectAddPropertyListener(AudioObjectID object,
                                        const AudioObjectPropertyAddress* address,
                                        AudioObjectPropertyListenerProc listener, void* clientData);
