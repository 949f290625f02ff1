// The syntaxes of the settings' values as an author writes them, and their checks: durations,
// Windows versions, resolutions, colour depths, sizes, colours and numbers.
#include "setting_values.h"

#include "message_text.h"
#include "screen_values.h"
#include "tool_error.h"

#include <cctype>

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trimSpaces(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number of digits only, at most `largest`.
std::uint64_t parseDecimal(const std::string& text, std::uint64_t largest, const char* what) {
    if (text.empty())
        throw UsageError(std::string("a ") + what + " is missing");
    std::uint64_t value = 0;
    for (char c : text) {
        if (!isDigit(c))
            throw UsageError(inQuotes(text) + " is not a " + what);
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > largest)
            throw UsageError(inQuotes(text) + " is larger than " + std::to_string(largest));
    }
    return value;
}

// The place of `value` among `values`; raises UsageError naming what was `written` otherwise.
std::size_t indexIn(const std::vector<std::string>& values, const std::string& value,
                    const std::string& written) {
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] == value)
            return i;
    throw UsageError(inQuotes(written) + " is not " + wordsWithOr(values));
}

struct VersionWord {
    const char* name;
    int code;
};

constexpr VersionWord versionWords[] = {
    {"95", 1}, {"98", 2}, {"me", 3}, {"nt4", 4}, {"nt", 4}, {"2000", 5}, {"xp", 6},
};

} // namespace

UINT parseNumber32(const std::string& text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t value = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                throw UsageError(inQuotes(text) + " is not a number");
            value = value * 16 + static_cast<std::uint64_t>(isDigit(c) ? c - '0' : c - 'a' + 10);
            if (value > 0xFFFFFFFFu)
                throw UsageError(inQuotes(text) + " is larger than 4294967295");
        }
        return static_cast<UINT>(value);
    }
    return static_cast<UINT>(parseDecimal(text, 0xFFFFFFFFu, "number"));
}

const std::vector<std::string>& pictureColourValues() {
    static const std::vector<std::string> values = {"256", "16", "system"};
    return values;
}

const std::vector<std::string>& soundRateValues() {
    static const std::vector<std::string> values = {"22050", "11025"};
    return values;
}

const std::vector<std::string>& soundBitValues() {
    static const std::vector<std::string> values = {"8", "16"};
    return values;
}

PictureColours parsePictureColours(const std::string& text) {
    const std::string value = lowerCase(trimSpaces(text));
    const PictureColours kinds[] = {PictureColours::palette256, PictureColours::palette16,
                                    PictureColours::system};
    const std::size_t index = indexIn(pictureColourValues(), value, text);
    return kinds[index];
}

UINT parseSoundRate(const std::string& text) {
    const std::string value = trimSpaces(text);
    return static_cast<UINT>(
        std::stoul(soundRateValues()[indexIn(soundRateValues(), value, text)]));
}

unsigned parseSoundBits(const std::string& text) {
    const std::string value = trimSpaces(text);
    return static_cast<unsigned>(
        std::stoul(soundBitValues()[indexIn(soundBitValues(), value, text)]));
}

std::string durationText(UINT milliseconds) {
    return milliseconds % 1000 == 0 ? std::to_string(milliseconds / 1000) + "s"
                                    : std::to_string(milliseconds) + "ms";
}

std::string byteSizeText(std::uint64_t bytes) {
    const char units[] = {'G', 'M', 'k'};
    for (int i = 0; i < 3; ++i) {
        const std::uint64_t unit = 1ull << (10 * (3 - i));
        if (bytes != 0 && bytes % unit == 0)
            return std::to_string(bytes / unit) + units[i];
    }
    return std::to_string(bytes);
}

UINT parseLaunchDelay(const std::string& written) {
    UINT delay = parseDuration(written);
    if (delay > largestLaunchDelay)
        throw UsageError(inQuotes(written) + " is longer than " +
                         std::to_string(largestLaunchDelay) +
                         " ms: the player keeps the splash up at least 50 ms past the launch "
                         "delay and counts that sum in 32 bits");
    return delay;
}

UINT parseDuration(const std::string& written) {
    std::string text = lowerCase(trimSpaces(written));
    std::size_t digitsEnd = 0;
    while (digitsEnd < text.size() && (isDigit(text[digitsEnd]) || text[digitsEnd] == '.'))
        ++digitsEnd;
    std::string number = text.substr(0, digitsEnd);
    std::string unit = trimSpaces(text.substr(digitsEnd));
    std::size_t point = number.find('.');
    std::string whole = number.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : number.substr(point + 1);
    if (whole.empty() || fraction.find('.') != std::string::npos ||
        (point != std::string::npos && fraction.empty()))
        throw UsageError(inQuotes(written) + " is not a duration; write e.g. 3s or 1500ms");

    std::uint64_t millisecondsPerUnit = 0;
    if (unit == "ms")
        millisecondsPerUnit = 1;
    else if (unit == "s")
        millisecondsPerUnit = 1000;
    else if (unit.empty()) {
        if (whole.find_first_not_of('0') == std::string::npos && fraction.empty())
            return 0;
        throw UsageError(inQuotes(written) + " has no unit; write " + number + "s or " + number +
                         "ms");
    } else if (unit.size() > 1 && unit[0] == ',' && isDigit(unit[1]))
        throw UsageError(inQuotes(written) + " has a decimal comma; the decimal separator is a " +
                         "point: write " + number + "." + unit.substr(1));
    else
        throw UsageError(inQuotes(written) + " has the unknown unit " + inQuotes(unit) +
                         "; use ms or s");

    const std::uint64_t largest = 0xFFFFFFFFu;
    const char* const tooLong = " is longer than 4294967295 ms (49.7 days)";
    if (whole.size() > 12)
        throw UsageError(inQuotes(written) + tooLong);
    std::uint64_t value = parseDecimal(whole, 999999999999ull, "number") * millisecondsPerUnit;
    // Digits after the point that still name whole milliseconds.
    std::uint64_t scale = millisecondsPerUnit;
    for (char digit : fraction) {
        if (scale >= 10) {
            scale /= 10;
            value += static_cast<std::uint64_t>(digit - '0') * scale;
        } else if (digit != '0') {
            throw UsageError(inQuotes(written) + " is not a whole number of milliseconds");
        }
    }
    if (value > largest)
        throw UsageError(inQuotes(written) + tooLong);
    return static_cast<UINT>(value);
}

std::string parseVersionNames(const std::string& text) {
    std::set<int> codes;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        std::string word = lowerCase(trimSpaces(text.substr(start, comma - start)));
        start = comma + 1;
        if (word.empty())
            continue;
        if (word == "all") {
            for (int code = 1; code <= 6; ++code)
                codes.insert(code);
            continue;
        }
        bool known = false;
        for (const VersionWord& entry : versionWords)
            if (word == entry.name) {
                codes.insert(entry.code);
                known = true;
            }
        if (!known)
            throw UsageError(inQuotes(word) +
                             " is not a Windows version; use 95, 98, me, nt4, 2000, xp or all");
    }
    if (codes.empty())
        throw UsageError("no Windows version named; a splash that allows none never runs");
    std::string list;
    for (int code : codes) {
        if (!list.empty())
            list += ' ';
        list += std::to_string(code);
    }
    return list;
}

void parseDimensions(const std::string& written, UINT& width, UINT& height) {
    std::string text = lowerCase(written);
    std::size_t cross = text.find('x');
    if (cross == std::string::npos)
        throw UsageError(inQuotes(written) + " is not WIDTHxHEIGHT, e.g. 800x600");
    std::string left = trimSpaces(text.substr(0, cross));
    std::string right = trimSpaces(text.substr(cross + 1));
    UINT w = 0;
    UINT h = 0;
    try {
        w = static_cast<UINT>(parseDecimal(left, 65535, "number"));
        h = static_cast<UINT>(parseDecimal(right, 65535, "number"));
    } catch (const UsageError&) {
        throw UsageError(inQuotes(written) + " is not WIDTHxHEIGHT with numbers from 1 to 65535");
    }
    if (w == 0 || h == 0)
        throw UsageError(inQuotes(written) + " has a side of 0 pixels");
    width = w;
    height = h;
}

std::string parseMinimumResolution(const std::string& text) {
    ScreenResolution resolution;
    parseDimensions(text, resolution.width, resolution.height);
    return formatResolution(resolution);
}

std::string parseMinimumColourDepth(const std::string& written) {
    std::string text = lowerCase(trimSpaces(written));
    if (text.size() > 3 && text.compare(text.size() - 3, 3, "bit") == 0)
        text = trimSpaces(text.substr(0, text.size() - 3));
    std::uint64_t bits = 0;
    try {
        bits = parseDecimal(text, 32, "number");
    } catch (const UsageError&) {
        throw UsageError(inQuotes(written) + " is not a colour depth from 1 to 32 bits");
    }
    if (bits == 0)
        throw UsageError(inQuotes(written) + " is not a colour depth from 1 to 32 bits");
    return formatColourDepth(static_cast<std::int32_t>(bits));
}

std::uint64_t parseByteSize(const std::string& written) {
    std::string text = trimSpaces(written);
    std::uint64_t factor = 1;
    if (!text.empty()) {
        char suffix = static_cast<char>(std::tolower(static_cast<unsigned char>(text.back())));
        if (suffix == 'k' || suffix == 'm' || suffix == 'g') {
            factor = suffix == 'k' ? 1024 : suffix == 'm' ? 1024 * 1024 : 1024 * 1024 * 1024;
            text.pop_back();
        }
    }
    std::uint64_t value = 0;
    try {
        value = parseDecimal(text, 0xFFFFFFFFu, "number");
    } catch (const UsageError&) {
        throw UsageError(inQuotes(written) + " is not a size such as 500000, 500k or 64M");
    }
    return value * factor;
}

Rgb parseColour(const std::string& written) {
    std::string text = trimSpaces(written);
    if (!text.empty() && text[0] == '#')
        text.erase(0, 1);
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw UsageError(inQuotes(written) + " is not a colour #rrggbb");
    auto channel = [&](std::size_t at) {
        return static_cast<unsigned char>(std::stoul(text.substr(at, 2), nullptr, 16));
    };
    return Rgb{channel(0), channel(2), channel(4)};
}

const char* windowsVersionLabel(int code) {
    static const char* const labels[] = {"95", "98", "Me", "NT 4", "2000", "XP"};
    return code >= 1 && code <= 6 ? labels[code - 1] : "";
}

const char* toolVersionName(const OsVersion& version) {
    static const char* const names[] = {"95", "98", "me", "nt4", "2000", "xp"};
    for (int code = 1; code <= 6; ++code)
        if (osVersionForCode(code) == version)
            return names[code - 1];
    return "unknown";
}
