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

// One line for every medium: "2x CD-ROM 1.21 s, 8x CD-ROM 0.42 s, ...".
std::string describeStartTimes(std::uint64_t fileBytes);

// The 8x CD-ROM's figure, which the tool holds against one second.
std::uint64_t eightSpeedMilliseconds(std::uint64_t fileBytes);
