// Version codes, classification, naming and the version-list text.
#include "os_version.h"

#include <cstddef>

namespace {

const OsVersion canonicalTriples[] = {
    {0, 0, 0}, {1, 4, 0}, {1, 4, 10}, {1, 4, 90}, {2, 4, 0}, {2, 5, 0}, {2, 5, 1},
};

const char* const versionNames[] = {
    "Less than 95", "9&5", "9&8", "&Millenium Edition", "&NT", "&2000", "&XP",
};

// Only the C locale's digits and white space count; bytes 0x80 and above are neither.
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a signed decimal number as strtol does with base 10, held at the 32-bit limits on
// overflow. Returns false, leaving `position` alone, when no digit follows the white space
// and the optional sign.
bool readSignedNumber(const char*& position, std::int32_t& value) {
    const char* p = position;
    while (isWhiteSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (!isDigit(*p))
        return false;
    // The magnitude is kept in 64 bits and stops growing once it passes every 32-bit limit.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (; isDigit(*p); ++p) {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (*p - '0');
    }
    if (magnitude > limit)
        magnitude = limit;
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    position = p;
    return true;
}

} // namespace

bool operator<(const OsVersion& left, const OsVersion& right) {
    if (left.platformId != right.platformId)
        return left.platformId < right.platformId;
    if (left.major != right.major)
        return left.major < right.major;
    return left.minor < right.minor;
}

bool operator==(const OsVersion& left, const OsVersion& right) {
    return !(left < right) && !(right < left);
}

bool operator!=(const OsVersion& left, const OsVersion& right) {
    return !(left == right);
}

OsVersion osVersionForCode(std::int32_t code) {
    if (code < 1 || code > 6)
        return canonicalTriples[0];
    return canonicalTriples[code];
}

VersionCode versionCodeOf(const OsVersion& version) {
    if (version.platformId == 2) {
        if (version.major <= 4)
            return 4;
        if (version.major == 5 && version.minor == 0)
            return 5;
        return 6;
    }
    if (version.platformId == 1 && version.major == 4) {
        if (version.minor >= 90)
            return 3;
        if (version.minor < 10)
            return 1;
        return 2;
    }
    return 0;
}

const char* versionName(const OsVersion& version) {
    return versionNames[versionCodeOf(version)];
}

VersionSet parseVersionList(const char* text) {
    VersionSet versions;
    if (text == nullptr)
        return versions;
    const char* position = text;
    while (isDigit(*position) || *position == ' ') {
        std::int32_t code = 0;
        // A space with no number after it would be read again forever; nothing was read
        // there, so nothing is added.
        if (!readSignedNumber(position, code))
            break;
        versions.insert(osVersionForCode(code));
    }
    return versions;
}

std::string formatVersionSet(const VersionSet& versions) {
    std::string text;
    for (const OsVersion& version : versions) {
        if (!text.empty())
            text += "; ";
        text += "'";
        text += versionName(version);
        text += "'";
    }
    if (text.empty())
        text = "none";
    return text;
}

VersionSet::const_iterator findVersion(const VersionSet& versions, const OsVersion& version) {
    return versions.find(version);
}

bool isLaterThanXp(const OsVersion& version) {
    return version.platformId == 2 &&
           (version.major > 5 || (version.major == 5 && version.minor > 1));
}

bool versionAllowed(const VersionSet& versions, const OsVersion& version, bool laterWindows) {
    return findVersion(versions, version) != versions.end() ||
           (laterWindows && isLaterThanXp(version));
}
