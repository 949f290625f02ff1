// The requirements check against the running system: all three tests, then one box for the
// user; the details of what failed go to the debugger output.
#include "requirements_check.h"

#include "os_version.h"
#include "requirements_decision.h"
#include "screen_values.h"
#include "splash_settings.h"

#include <windows.h>

#include <string>

namespace {

RequirementsFindings findingsForThisSystem() {
    RequirementsFindings findings;

    const OsVersion version = currentOsVersion();
    findings.versionMet = versionAllowed(splashSettings.requiredVersions, version,
                                         splashSettings.extension.laterWindows);
    findings.allowedVersions = formatVersionSet(splashSettings.requiredVersions);
    findings.currentVersion = versionName(version);

    const ScreenResolution screen = currentScreenResolution();
    const ScreenResolution& required = splashSettings.requiredResolution;
    findings.resolutionMet =
        resolutionMeets(screen.width, screen.height, required.width, required.height);
    findings.requiredResolution = formatResolution(required);
    findings.currentResolution = formatResolution(screen);

    const std::int32_t colourBits = currentColourDepth();
    findings.colourMet = colourDepthMeets(colourBits, splashSettings.requiredColourBits);
    findings.requiredColour = formatColourDepth(splashSettings.requiredColourBits);
    findings.currentColour = formatColourDepth(colourBits);

    return findings;
}

} // namespace

bool checkSystemRequirements() {
    const std::string details = requirementsDetails(findingsForThisSystem());
    if (details.empty())
        return true;
    // The user sees only the payload's message; what failed is left for a debugger to read.
    OutputDebugStringA(("Splash requirements not met:\n" + details).c_str());
    const std::string message = chooseRequirementsMessage(splashSettings.requirementsMessage);
    MessageBoxA(NULL, message.c_str(), requirementsCaption, MB_OK | MB_ICONWARNING);
    return false;
}
