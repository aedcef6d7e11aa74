#pragma once

#include <string>

struct _XDisplay;

// The X connection the framework opened for its windows, or null when it
// found no server. Made on first use, on the message thread.
_XDisplay* frameworkDisplay();

// The display the framework tries: DISPLAY, or ":0.0" when that is unset or empty.
std::string displayFrameworkTries();
