#pragma once

// What the platform contract needs from a backend's test bench: a way to make a K71 VT
// appear and go, and to move one of its levels the way the hardware would. A simulator
// does it on request; a bench for real hardware would drive a USB switch or ask a person;
// a platform on which no interface can ever appear says so, and the tests that need one
// are skipped.

namespace k71test::bench
{
// Before each test: the platform as a new process finds it, as far as the bench can.
void freshPlatform();
bool canAttachInterface();
// The interface's audio device(s) and its HID function appear, or go.
void attachInterface();
void detachInterface();
// The first output channel's level moves to decibels on the device's own side.
void changeOutputLevelOnTheDevice(float decibels);
} // namespace k71test::bench
