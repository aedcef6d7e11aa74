#pragma once

// The device properties the panel reads and writes. Volumes are in decibels;
// element 1 is the left channel, 2 the right, 0 the whole direction.

#include "platform/AudioHardware.h"

namespace deviceaddress
{
constexpr auto inputVolumeLeft = propertyAddress("vold", "inpt", 1);
constexpr auto inputVolumeRight = propertyAddress("vold", "inpt", 2);
constexpr auto outputVolumeMain = propertyAddress("vold", "outp", 0);
constexpr auto outputVolumeLeft = propertyAddress("vold", "outp", 1);
constexpr auto outputVolumeRight = propertyAddress("vold", "outp", 2);

constexpr auto inputMute = propertyAddress("mute", "inpt", 0);
constexpr auto outputMute = propertyAddress("mute", "outp", 0);

// Analog or digital, see audioDataSourceAnalog and audioDataSourceDigital.
constexpr auto inputSource = propertyAddress("ssrc", "inpt", 0);
} // namespace deviceaddress
