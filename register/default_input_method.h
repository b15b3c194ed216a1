// The guard before an IMM install: an earlier version of the input method must not be the default
// input method (number 1 of the preload list) or the current thread's input method.
#pragma once

#include <cstddef>

// 1 to go on with the install, 0 to stop (after telling the user why, and on a 32-bit system
// offering to make the input method non-default).
int CheckDefaultInputMethod();

// The last step of the guard, on the IME description of the current thread's keyboard layout
// (length bytes, as ImmGetDescriptionA returned it): 0 after the warning when it is the input
// method's, else 1.
int CheckCurrentLayoutDescription(const char* description, std::size_t length);
