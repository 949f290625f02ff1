// The system's one error type: the thrown object is the complete message text.
#pragma once

#include <string>

typedef unsigned int UINT;

// Raises a text exception carrying `message` as its whole text.
[[noreturn]] inline void raiseText(const std::string& message) { throw message; }
