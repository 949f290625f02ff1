// Decisions and texts of the requirements check.
#include "requirements_decision.h"

namespace {

const char* const trimmedCharacters = "\n\r\t ";

} // namespace

std::string trimWhitespace(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(trimmedCharacters);
    if (first == std::string::npos)
        return std::string();
    const std::string::size_type last = text.find_last_not_of(trimmedCharacters);
    return text.substr(first, last - first + 1);
}

bool resolutionMeets(std::uint32_t screenWidth, std::uint32_t screenHeight,
                     std::uint32_t requiredWidth, std::uint32_t requiredHeight) {
    return screenWidth >= requiredWidth && screenHeight >= requiredHeight;
}

bool colourDepthMeets(std::int32_t currentBits, std::int32_t requiredBits) {
    return currentBits >= requiredBits;
}

std::string requirementsDetails(const RequirementsFindings& findings) {
    std::string details;
    if (!findings.versionMet)
        details += "Required set of system versions is { " + findings.allowedVersions + " }\n" +
                   "Current system version is " + findings.currentVersion + "\n\n";
    if (!findings.resolutionMet)
        details += "Required screen resolutions is " + findings.requiredResolution + "\n" +
                   "Current screen resolutions is " + findings.currentResolution + "\n" + "\n";
    if (!findings.colourMet)
        details += "Required colour quality is " + findings.requiredColour + "\n" +
                   "Current colour quality is " + findings.currentColour + "\n";
    return details;
}

std::string chooseRequirementsMessage(const std::string& customMessage) {
    return trimWhitespace(customMessage).empty() ? std::string(defaultRequirementsMessage)
                                                 : customMessage;
}
