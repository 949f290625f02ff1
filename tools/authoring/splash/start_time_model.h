// How long a splash keeps its user waiting before the picture appears: the player reads its
// whole file first, so the file's size over the medium's rate, plus the drive's access time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReadingMedium {
    std::string name;          // "2x CD-ROM"
    double bytesPerSecond = 0; // sustained rate where a small disc's files lie
    unsigned accessMs = 0;     // average seek and settle before the first byte
};

// The 2x and 8x CD-ROM (constant linear velocity), the 24x CD-ROM (constant angular velocity,
// about 10x near the centre of the disc) and a 56k modem for a download.
const std::vector<ReadingMedium>& readingMedia();

// Milliseconds until the picture appears from `medium` for a splash file of `fileBytes`.
std::uint64_t startMilliseconds(const ReadingMedium& medium, std::uint64_t fileBytes);

// "0.42 s" below a minute, "2 min 5 s" above.
std::string describeWait(std::uint64_t milliseconds);

// "from a CD-ROM the picture shows after 4.25 s at 2x, 1.12 s at 8x, 0.89 s at 24x; a 56k
// modem downloads it in 3 min 4 s".
std::string describeStartTimes(std::uint64_t fileBytes);

// The 8x CD-ROM's figure, which the tool holds against one second.
std::uint64_t eightSpeedMilliseconds(std::uint64_t fileBytes);

// An option that would make the splash lighter, and the size of the file it would give.
struct LighterChoice {
    std::string option; // "--colours 256"
    std::uint64_t fileBytes = 0;
};

// The warning when the picture shows only after more than a second from an 8x CD-ROM, naming
// each choice with its size and wait; empty when it shows sooner.
std::string slowStartWarning(std::uint64_t fileBytes, const std::vector<LighterChoice>& choices);
