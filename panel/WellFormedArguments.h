#pragma once

// The program's arguments as the framework will read them, made well-formed UTF-8.
//
// JUCE 7.0.5 makes a String of each argument by counting the bytes its decoded
// characters need and then copying the argument's raw bytes: an argument that is
// not UTF-8 arrives as bytes that are not text, and one with an overlong form
// (C0 80 decodes as the end of the text) is copied past the end of its buffer.

#include <string>

// Each byte that is not part of a well-formed sequence becomes U+FFFD.
std::string asWellFormedUtf8(const std::string& bytes);

// Points the framework's copy of argv at well-formed copies of the arguments, kept
// for the rest of the run. Called before anything reads the command line.
void makeArgumentsWellFormed();
