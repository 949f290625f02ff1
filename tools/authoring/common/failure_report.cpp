// The one translation of the tool's failures into messages and exit codes.
#include "failure_report.h"

#include "tool_error.h"

#include <exception>
#include <new>

FailureReport reportOfFailure(const std::string& command) {
    try {
        throw;
    } catch (const UsageError& error) {
        return {error.what(), exitUsage,
                "Try 'splashpack " + (command.empty() ? "" : command + " ") + "--help'.",
                error.option()};
    } catch (const InputError& error) {
        return {error.what(), exitBadInput, "", error.option()};
    } catch (const std::string& message) {
        // The player's own reader raises its messages as texts.
        return {message, exitBadInput, "", ""};
    } catch (const std::bad_alloc&) {
        return {"out of memory", exitBadInput, "", ""};
    } catch (const std::exception& error) {
        // Such as a name Windows holds that is not valid Unicode, which paths refuse to convert.
        return {error.what(), exitBadInput, "", ""};
    } catch (...) {
        return {"an unknown failure", exitBadInput, "", ""};
    }
}
