// Windows releases as {platform, major, minor}, the seven version codes with their names, and
// the version list of the payload.
#pragma once

#include <cstdint>
#include <set>
#include <string>

// A Windows release. {0, 0, 0} stands for a system whose version is unknown.
struct OsVersion {
    std::uint32_t platformId = 0; // 1: the 95/98/Me line, 2: the NT line
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// Lexicographic, platform first; nothing but the three fields takes part.
bool operator<(const OsVersion& left, const OsVersion& right);
bool operator==(const OsVersion& left, const OsVersion& right);
bool operator!=(const OsVersion& left, const OsVersion& right);

// 0 "Less than 95", 1 "9&5", 2 "9&8", 3 "&Millenium Edition", 4 "&NT", 5 "&2000", 6 "&XP".
typedef int VersionCode;

// Ascending, duplicates collapsed; the canonical triples ascend with their codes.
typedef std::set<OsVersion> VersionSet;

// The running system's release; {0, 0, 0} when it cannot be read. Windows only.
OsVersion currentOsVersion();

// The canonical triple of codes 1 to 6; {0, 0, 0} for every other value.
OsVersion osVersionForCode(std::int32_t code);

// Classifies any triple by ranges (so {2, 5, 2} is 6 although it is not code 6's triple).
VersionCode versionCodeOf(const OsVersion& version);

// The name of the triple's code; a constant text that lives for the whole process.
const char* versionName(const OsVersion& version);

// Reads codes from the payload's version-list text (NULL counts as empty); never fails. The read
// ends at the first character that is neither a digit nor a space, and at a space after which
// no number follows.
VersionSet parseVersionList(const char* text);

// "'9&5'; '&XP'", or "none" for the empty set.
std::string formatVersionSet(const VersionSet& versions);

// Exact lookup: only an equal triple is found; no range or family matching.
VersionSet::const_iterator findVersion(const VersionSet& versions, const OsVersion& version);

// True for a release of the NT line later than XP (5.1): XP x64 and Server 2003 (5.2), Vista and
// everything after (6.0 and up; Windows 8.1 and later report 6.2 to a program without a manifest).
bool isLaterThanXp(const OsVersion& version);

// The version test: `version` is in `versions`, or, when the splash lets later Windows run it,
// a release later than XP.
bool versionAllowed(const VersionSet& versions, const OsVersion& version, bool laterWindows);
