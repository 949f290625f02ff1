// The figures of the start-time model. A CD-ROM's single speed is 75 sectors of 2048 bytes a
// second (ECMA-130, mode 1); access times are the typical averages drives of each speed were
// sold with.
#include "start_time_model.h"

#include <cstdio>

namespace {

constexpr double singleSpeed = 75.0 * 2048; // bytes a second

} // namespace

const std::vector<ReadingMedium>& readingMedia() {
    static const std::vector<ReadingMedium> media = {
        {"2x CD-ROM", 2 * singleSpeed, 250},
        {"8x CD-ROM", 8 * singleSpeed, 120},
        // Rated 24x only at the outer edge: the files of a small disc lie near the centre.
        {"24x CD-ROM", 10 * singleSpeed, 90},
        // V.90's 53.3 kbit/s, the most a line gives under the telephone network's power limit.
        {"56k modem", 53333.0 / 8, 0},
    };
    return media;
}

std::uint64_t startMilliseconds(const ReadingMedium& medium, std::uint64_t fileBytes) {
    return medium.accessMs +
           static_cast<std::uint64_t>(double(fileBytes) * 1000 / medium.bytesPerSecond + 0.5);
}

std::string describeWait(std::uint64_t milliseconds) {
    char text[48];
    if (milliseconds < 60000)
        std::snprintf(text, sizeof text, "%.2f s", milliseconds / 1000.0);
    else {
        const unsigned long long seconds = (milliseconds + 500) / 1000;
        std::snprintf(text, sizeof text, "%llu min %llu s", seconds / 60, seconds % 60);
    }
    return text;
}

std::string describeStartTimes(std::uint64_t fileBytes) {
    const std::vector<ReadingMedium>& media = readingMedia();
    std::string text = "from a CD-ROM the picture shows after ";
    for (std::size_t i = 0; i + 1 < media.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += describeWait(startMilliseconds(media[i], fileBytes)) + " at " +
                media[i].name.substr(0, media[i].name.find(' '));
    }
    return text + "; a 56k modem downloads it in " +
           describeWait(startMilliseconds(media.back(), fileBytes));
}

std::uint64_t eightSpeedMilliseconds(std::uint64_t fileBytes) {
    return startMilliseconds(readingMedia()[1], fileBytes);
}

std::string slowStartWarning(std::uint64_t fileBytes, const std::vector<LighterChoice>& choices) {
    const std::uint64_t wait = eightSpeedMilliseconds(fileBytes);
    if (wait <= 1000)
        return "";
    std::string text = "from an 8x CD-ROM the picture shows only after " + describeWait(wait) +
                       ", the time to read the splash's " + std::to_string(fileBytes) + " bytes";
    for (std::size_t i = 0; i < choices.size(); ++i) {
        text += i == 0 ? "; " : ", ";
        text += choices[i].option + " would make it " + std::to_string(choices[i].fileBytes) +
                " bytes (" + describeWait(eightSpeedMilliseconds(choices[i].fileBytes)) + ")";
    }
    return text;
}
