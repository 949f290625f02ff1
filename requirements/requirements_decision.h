// The requirements check's decisions, apart from the system queries: which tests fail, the
// details text of the failures and the message the user sees.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* defaultRequirementsMessage =
    "Sorry, your system does not meet all of the necessary system requirements.";
constexpr const char* requirementsCaption = "System Requirements Not Met";

// The text without leading and trailing LF, CR, TAB and space; other characters stay.
std::string trimWhitespace(const std::string& text);

// True when the screen is at least as wide and at least as high as required.
bool resolutionMeets(std::uint32_t screenWidth, std::uint32_t screenHeight,
                     std::uint32_t requiredWidth, std::uint32_t requiredHeight);

// True when the screen's colour depth reaches the required one, compared signed.
bool colourDepthMeets(std::int32_t currentBits, std::int32_t requiredBits);

// The outcome of the three tests with the texts that describe them, already formatted.
struct RequirementsFindings {
    bool versionMet = true;
    std::string allowedVersions; // the allowed set, as the version vocabulary writes it
    std::string currentVersion;  // the running system's version name
    bool resolutionMet = true;
    std::string requiredResolution; // "800 x 600"
    std::string currentResolution;
    bool colourMet = true;
    std::string requiredColour; // "16 bit"
    std::string currentColour;
};

// One section for each failed test, in test order; empty exactly when every test passed.
std::string requirementsDetails(const RequirementsFindings& findings);

// The custom message untrimmed when it holds anything besides white space, else the default.
std::string chooseRequirementsMessage(const std::string& customMessage);
