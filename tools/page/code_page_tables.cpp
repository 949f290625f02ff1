// Writes the code-page tables of the page's converter (table_code_page.cpp) from this system's
// converter, so that a front-end without iconv stores and shows the same bytes as splashpack:
//   code_page_tables <code_page_data.cpp> [<characters.txt>]
// The second file lists, one hexadecimal code point a line, every character the single-byte
// code pages but 874 can show: the characters the page's font must carry.
//
// Every answer is asked of systemCodePage() itself, and whatever the table format cannot say
// ends the program with an error, so that another glibc can never quietly give other tables.
#include "code_page.h"
#include "code_page_reading.h"
#include "system_code_page.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// The PNG encoder's deflate (stb_write_impl.cpp), which its header declares for its own use only.
extern "C" unsigned char* stbi_zlib_compress(unsigned char* data, int dataLength, int* outLength,
                                             int quality);

namespace {

const unsigned codePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                              1252, 1253, 1254, 1255, 1256, 1257, 1258};

bool isDoubleByte(unsigned codePage) {
    return codePage >= 932 && codePage <= 950;
}

[[noreturn]] void fail(unsigned codePage, const std::string& bytes, const std::string& what) {
    std::string hex;
    for (unsigned char byte : bytes) {
        char text[4];
        std::snprintf(text, sizeof text, "%02x ", byte);
        hex += text;
    }
    throw std::runtime_error("code page " + std::to_string(codePage) + ", bytes " + hex + what);
}

// The system's reading of `bytes`, as code points; false where it refuses them.
bool systemDecode(unsigned codePage, const std::string& bytes, std::u32string& characters) {
    std::string utf8;
    if (!systemCodePage().fromCodePage(bytes, codePage, utf8))
        return false;
    characters = utf8Characters(utf8);
    return true;
}

// One code page as table_code_page.cpp reads it: every byte, then for a double-byte code page
// every pair of a lead byte 0x80 to 0xFF and any trail byte; 0 where the bytes mean nothing
// (byte 0 itself is U+0000). The entries whose character the system writes otherwise; and the
// letters that an accent following them turns into one character when read, and whether that
// character takes a further accent (glibc joins a second accent in 1255, not in 1258).
struct Table {
    unsigned codePage = 0;
    std::vector<char16_t> values;
    std::vector<unsigned> notExact;
    Compositions compositions;

    std::size_t indexOf(const std::string& bytes) const {
        unsigned char first = static_cast<unsigned char>(bytes[0]);
        return bytes.size() == 1
                   ? first
                   : 256 + (first - 0x80u) * 256 + static_cast<unsigned char>(bytes[1]);
    }

    // The reading table_code_page.cpp gives.
    bool decode(const std::string& bytes, std::u32string& characters) const {
        return readWithTable(values, compositions, bytes, characters);
    }

    void check(const std::string& bytes) const {
        std::u32string system, table;
        bool systemRead = systemDecode(codePage, bytes, system);
        bool tableRead = decode(bytes, table);
        if (systemRead != tableRead || (systemRead && system != table))
            fail(codePage, bytes, "are read otherwise than the tables would read them");
    }
};

// The one character `bytes` mean, 0 for none; raises where it is more than the format holds.
char16_t oneCharacter(unsigned codePage, const std::string& bytes) {
    std::u32string characters;
    if (!systemDecode(codePage, bytes, characters))
        return 0;
    if (characters.size() != 1)
        fail(codePage, bytes, "are read as " + std::to_string(characters.size()) + " characters");
    if (characters[0] > 0xFFFF)
        fail(codePage, bytes, "are read as a character beyond U+FFFF");
    if (characters[0] == 0 && bytes != std::string(1, '\0'))
        fail(codePage, bytes, "are read as U+0000");
    return static_cast<char16_t>(characters[0]);
}

Table readCodePage(unsigned codePage) {
    Table table;
    table.codePage = codePage;
    table.values.assign(isDoubleByte(codePage) ? 256 + 128 * 256 : 256, 0);
    for (unsigned byte = 0; byte < 256; ++byte)
        table.values[byte] = oneCharacter(codePage, std::string(1, static_cast<char>(byte)));
    for (unsigned byte = 0; byte < 0x80; ++byte)
        if (table.values[byte] == 0 && byte != 0)
            fail(codePage, std::string(1, static_cast<char>(byte)), "mean nothing");
    if (isDoubleByte(codePage))
        for (unsigned lead = 0x80; lead < 0x100; ++lead)
            for (unsigned trail = 0; trail < 0x100; ++trail) {
                std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
                // A byte that is a character by itself leads no pair: the check below holds
                // the system to that.
                if (table.values[lead] == 0)
                    table.values[table.indexOf(pair)] = oneCharacter(codePage, pair);
            }

    // The letters and accents the system reads as one character: each such reading extended
    // by every byte, until no longer one joins.
    std::vector<std::string> joined;
    if (!isDoubleByte(codePage)) {
        // Each sequence with the joining that made it, if any.
        std::vector<std::pair<char16_t, char16_t>> madeBy;
        for (unsigned byte = 1; byte < 256; ++byte)
            if (table.values[byte] != 0) {
                joined.push_back(std::string(1, static_cast<char>(byte)));
                madeBy.emplace_back(0, 0);
            }
        for (std::size_t next = 0; next < joined.size(); ++next) {
            const std::string base = joined[next];
            const auto parent = madeBy[next];
            std::u32string baseCharacters;
            table.decode(base, baseCharacters);
            for (unsigned byte = 1; byte < 256; ++byte) {
                if (table.values[byte] == 0)
                    continue;
                std::string longer = base + static_cast<char>(byte);
                std::u32string characters;
                if (!systemDecode(codePage, longer, characters) || characters.size() != 1)
                    continue;
                if (characters[0] > 0xFFFF || characters[0] == 0)
                    fail(codePage, longer, "are read as a character the tables cannot hold");
                if (base.size() > 1)
                    table.compositions[parent].joinsFurther = true;
                auto key =
                    std::make_pair(static_cast<char16_t>(baseCharacters[0]), table.values[byte]);
                auto found = table.compositions.find(key);
                if (found != table.compositions.end() && found->second.character != characters[0])
                    fail(codePage, longer, "join otherwise than the same characters elsewhere");
                table.compositions[key].character = static_cast<char16_t>(characters[0]);
                if (joined.size() > 100000)
                    fail(codePage, longer, "join without end");
                joined.push_back(longer);
                madeBy.push_back(key);
            }
        }
    }

    // The reading of texts is the tables' reading of each byte or pair, accents joined: held to
    // the system's for every two bytes; for three where an accent is among the last two, and
    // for each joined character followed by two accents; for a double-byte code page, for
    // longer sequences on pairs that mean nothing, since a longer form would begin there.
    for (unsigned first = 0; first < 256; ++first)
        for (unsigned second = 0; second < 256; ++second)
            table.check(std::string{static_cast<char>(first), static_cast<char>(second)});
    if (!table.compositions.empty()) {
        std::set<char16_t> accentSet;
        for (const auto& entry : table.compositions)
            accentSet.insert(entry.first.second);
        std::vector<char> accents;
        for (unsigned byte = 1; byte < 256; ++byte)
            if (accentSet.count(table.values[byte]))
                accents.push_back(static_cast<char>(byte));
        for (unsigned first = 0; first < 256; ++first)
            for (unsigned second = 0; second < 256; ++second)
                for (unsigned third = 0; third < 256; ++third) {
                    const char b = static_cast<char>(second), c = static_cast<char>(third);
                    if (std::find(accents.begin(), accents.end(), b) != accents.end() ||
                        std::find(accents.begin(), accents.end(), c) != accents.end())
                        table.check(std::string{static_cast<char>(first), b, c});
                }
        for (const std::string& base : joined)
            if (base.size() > 1)
                for (char b : accents)
                    for (char c : accents)
                        table.check(base + b + c);
    }
    if (isDoubleByte(codePage)) {
        const char probes[] = {0x30, 0x40, static_cast<char>(0x81), static_cast<char>(0xA1)};
        for (unsigned lead = 0x80; lead < 0x100; ++lead)
            for (unsigned trail = 0; trail < 0x100; ++trail) {
                std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
                if (table.values[lead] != 0 || table.values[table.indexOf(pair)] != 0)
                    continue;
                for (char b : probes) {
                    table.check(pair + b);
                    for (char c : probes)
                        table.check(pair + b + c);
                }
            }
    }

    // Exact entries are those the system writes its character as: utf8ToCodePage takes no
    // other bytes for it.
    for (std::size_t index = 0; index < table.values.size(); ++index) {
        if (table.values[index] == 0 && index != 0)
            continue;
        std::string written;
        std::string bytes = index < 256 ? std::string(1, static_cast<char>(index))
                                        : std::string{static_cast<char>(0x80 + (index - 256) / 256),
                                                      static_cast<char>((index - 256) % 256)};
        if (!systemCodePage().toCodePage(utf8Of(table.values[index]), codePage, written) ||
            written != bytes)
            table.notExact.push_back(static_cast<unsigned>(index));
    }
    return table;
}

void putWord(std::vector<unsigned char>& stream, unsigned word) {
    stream.push_back(static_cast<unsigned char>(word & 0xFF));
    stream.push_back(static_cast<unsigned char>(word >> 8));
}

// The stream table_code_page.cpp inflates, in 16-bit little-endian words: the entry count and
// each entry as its difference from the one before (neighbouring bytes mostly mean neighbouring
// characters); the count of entries not exact and each as its distance from the one before;
// the count of joinings and each as letter, accent, result and whether it joins further.
std::vector<unsigned char> streamOf(const Table& table) {
    std::vector<unsigned char> stream;
    putWord(stream, static_cast<unsigned>(table.values.size()));
    char16_t previous = 0;
    for (char16_t value : table.values) {
        putWord(stream, static_cast<char16_t>(value - previous));
        previous = value;
    }
    putWord(stream, static_cast<unsigned>(table.notExact.size()));
    unsigned previousIndex = 0;
    for (unsigned index : table.notExact) {
        putWord(stream, index - previousIndex);
        previousIndex = index;
    }
    putWord(stream, static_cast<unsigned>(table.compositions.size()));
    for (const auto& entry : table.compositions) {
        putWord(stream, entry.first.first);
        putWord(stream, entry.first.second);
        putWord(stream, entry.second.character);
        putWord(stream, entry.second.joinsFurther);
    }
    return stream;
}

std::vector<unsigned char> deflate(std::vector<unsigned char> stream) {
    int size = 0;
    unsigned char* deflated =
        stbi_zlib_compress(stream.data(), static_cast<int>(stream.size()), &size, 12);
    if (!deflated)
        throw std::runtime_error("the tables cannot be compressed");
    std::vector<unsigned char> bytes(deflated, deflated + size);
    std::free(deflated);
    return bytes;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path + ".part", std::ios::binary);
    file << text;
    file.close();
    if (!file || std::rename((path + ".part").c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot write " + path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: code_page_tables <code_page_data.cpp> [<characters.txt>]\n");
        return 2;
    }
    try {
        std::string source = "// Generated at build time by code_page_tables from this system's "
                             "code-page converter; not to be edited.\n"
                             "#include \"table_code_page.h\"\n\nnamespace {\n";
        std::string list;
        std::set<char32_t> shown;
        std::size_t total = 0;
        for (unsigned codePage : codePages) {
            Table table = readCodePage(codePage);
            std::vector<unsigned char> stream = streamOf(table);
            std::vector<unsigned char> deflated = deflate(stream);
            total += deflated.size();
            std::fprintf(stderr, "code page %u: %zu bytes, %zu deflated\n", codePage, stream.size(),
                         deflated.size());
            source += "const unsigned char deflated" + std::to_string(codePage) + "[] = {";
            for (std::size_t i = 0; i < deflated.size(); ++i)
                source += (i % 16 ? " " : "\n") + std::to_string(deflated[i]) + ",";
            source += "};\n";
            list += "    {" + std::to_string(codePage) + ", deflated" + std::to_string(codePage) +
                    ", sizeof deflated" + std::to_string(codePage) + ", " +
                    std::to_string(stream.size()) + "},\n";
            if (codePage >= 1250) {
                for (unsigned byte = 0x80; byte < 0x100; ++byte)
                    if (table.values[byte] != 0)
                        shown.insert(table.values[byte]);
                for (const auto& entry : table.compositions)
                    shown.insert(entry.second.character);
            }
        }
        std::fprintf(stderr, "all code pages: %zu bytes deflated\n", total);
        source +=
            "} // namespace\n\nconst DeflatedCodePage deflatedCodePages[] = {\n" + list +
            "};\nconst unsigned deflatedCodePageCount = " + std::to_string(std::size(codePages)) +
            ";\n";
        writeFile(argv[1], source);
        if (argc == 3) {
            std::string characters;
            for (char32_t c : shown) {
                char line[16];
                std::snprintf(line, sizeof line, "%04X\n", static_cast<unsigned>(c));
                characters += line;
            }
            writeFile(argv[2], characters);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "code_page_tables: %s\n", error.what());
        return 1;
    }
    return 0;
}
