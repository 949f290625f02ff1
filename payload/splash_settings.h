// The decoded payload: everything the player needs to know about one splash screen.
#pragma once

#include "data_content.h"
#include "os_version.h"
#include "screen_values.h"
#include "splash_extension.h"

#include <cstdint>
#include <string>

class SplashSettings {
  public:
    SplashSettings() = default;
    SplashSettings(const SplashSettings&) = delete;
    SplashSettings& operator=(const SplashSettings&) = delete;

    // Reads the payload block of `fileName` and decodes it; the record is then the block's only
    // holder. Everything raised passes to the caller.
    void load(const std::string& fileName);
    // Fills the record from `block`, which it keeps in `payload` from the first step on. A field
    // that does not lie wholly inside the block raises the block's read-only bounds message.
    void decode(const DataContent& block);
    // Lets go of the picture and sound views, then of the payload buffer.
    void release();

    DataContent picture; // view into `payload`; empty without a picture
    DataContent sound;   // view into `payload`; empty without a sound
    std::string targetFile;
    UINT displayTime = 0;
    UINT launchDelay = 0;
    UINT imageOption = 0;
    VersionSet requiredVersions;
    ScreenResolution requiredResolution;
    std::int32_t requiredColourBits = 0;
    std::string requirementsMessage;
    // Settings beyond the format, from the bytes after the image option; all off without them.
    SplashExtension extension;
    DataContent payload; // owner of the whole block
};

// The one record of the process, filled once at start-up.
extern SplashSettings splashSettings;
