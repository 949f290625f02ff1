// Fuzz target: the reader of the payload's extension, over bytes held in an exactly sized buffer
// as they follow the image option. It must read nothing outside them, and what it accepts must
// be what the writer writes for the settings it found, read back the same way.
#include "fuzz_checks.h"
#include "payload_writer.h"
#include "splash_extension.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

bool sameSettings(const SplashExtension& a, const SplashExtension& b) {
    return a.waitForTarget == b.waitForTarget && a.shaped == b.shaped &&
           (!a.shaped || a.keyColour == b.keyColour) && a.fadeIn == b.fadeIn &&
           a.fadeOut == b.fadeOut && a.laterWindows == b.laterWindows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > std::numeric_limits<UINT>::max())
        return 0;
    // A copy of exactly the input's size, so that a read past it is a finding.
    std::vector<unsigned char> bytes(data, data + size);
    const unsigned char* start = bytes.empty() ? nullptr : bytes.data();
    SplashExtension untouched;
    untouched.fadeIn = 12345;
    SplashExtension found = untouched;
    if (!readSplashExtension(start, static_cast<UINT>(size), found)) {
        require(sameSettings(found, untouched), "a refused extension leaves the settings alone");
        return 0;
    }
    require(size >= extensionHeaderSize && std::memcmp(start, extensionMarker, 16) == 0,
            "an accepted extension starts with the marker");
    const ByteVector written = extensionBytes(found);
    SplashExtension again;
    if (found.any()) {
        require(readSplashExtension(written.data(), static_cast<UINT>(written.size()), again),
                "the writer's bytes for what was found are accepted");
        require(sameSettings(found, again), "the writer's bytes read back to the same settings");
    } else {
        require(written.empty(), "no setting on, no extension written");
    }
    return 0;
}
