// The two kinds of failure the tool reports, each with its own exit code, and the option each
// concerns, so that a front-end can show it beside that option.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

constexpr int exitSuccess = 0;
constexpr int exitBadInput = 1;
constexpr int exitUsage = 2;

// A failure with the long name of the option whose value or file it concerns; empty for none.
class OptionError : public std::runtime_error {
  public:
    explicit OptionError(const std::string& message, std::string option = "")
        : std::runtime_error(message), concerned(std::move(option)) {}
    const std::string& option() const { return concerned; }

  private:
    std::string concerned;
};

// A command line the tool cannot act on: unknown or missing options, malformed values.
class UsageError : public OptionError {
  public:
    using OptionError::OptionError;
};

// Input that is there but cannot be used, or an output that cannot be written: the message
// names the file and what is wrong with it.
class InputError : public OptionError {
  public:
    using OptionError::OptionError;
};

// Raises the InputError being handled again, as concerning `option` when it names none of its
// own: a stage of a build knows the option whose value or file it is busy with. Call it only in
// a handler of InputError.
[[noreturn]] inline void raiseAgainConcerning(const char* option) {
    try {
        throw;
    } catch (const InputError& error) {
        if (error.option().empty() && *option != '\0')
            throw InputError(error.what(), option);
        throw;
    }
}
