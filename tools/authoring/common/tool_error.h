// The two kinds of failure the tool reports, each with its own exit code.
#pragma once

#include <stdexcept>
#include <string>

constexpr int exitSuccess = 0;
constexpr int exitBadInput = 1;
constexpr int exitUsage = 2;

// A command line the tool cannot act on: unknown or missing options, malformed values.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Input that is there but cannot be used, or an output that cannot be written: the message
// names the file and what is wrong with it.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
