// Every message of the container reader, the order of its checks, and its two reads, on
// real files of the platform the test runs on; and how a signed splash's trailer is found
// before its certificate table.
#include "certificate_table.h"
#include "file_access.h"
#include "payload_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes trailerFor(std::uint32_t payloadSize, const char* marker = "Trailer Section") {
    Bytes trailer(20, 0);
    for (int i = 0; i < 16 && marker[i] != '\0'; ++i)
        trailer[i] = static_cast<unsigned char>(marker[i]);
    for (int i = 0; i < 4; ++i)
        trailer[16 + i] = static_cast<unsigned char>(payloadSize >> (8 * i));
    return trailer;
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void putLittle(Bytes& bytes, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// Offsets in the headers below: the optional header follows the "PE\0\0" signature at 0x80.
constexpr std::size_t peAt = 0x80, optionalAt = peAt + 24;
constexpr std::size_t pe32Security = optionalAt + 96 + 4 * 8;
constexpr std::size_t pe32PlusSecurity = optionalAt + 112 + 4 * 8;

// 0x200 bytes of PE32 (or PE32+) headers with no sections and 16 data directories, of which
// directory 4 names a certificate table at `offset` of `size` bytes.
Bytes peHeaders(std::uint32_t offset, std::uint32_t size, bool plus = false) {
    Bytes headers(0x200, 0);
    headers[0] = 'M';
    headers[1] = 'Z';
    putLittle(headers, 0x3C, peAt, 4);
    putLittle(headers, peAt, 0x00004550, 4);
    putLittle(headers, peAt + 20, plus ? 0xF0 : 0xE0, 2);
    putLittle(headers, optionalAt, plus ? 0x20B : 0x10B, 2);
    putLittle(headers, optionalAt + 60, 0x200, 4);
    putLittle(headers, optionalAt + (plus ? 108 : 92), 16, 4);
    const std::size_t security = plus ? pe32PlusSecurity : pe32Security;
    putLittle(headers, security, offset, 4);
    putLittle(headers, security + 4, size, 4);
    return headers;
}

// A signed splash: headers, `block` and `trailer` (by default the block's own), `padding` zero
// bytes, then a 64-byte certificate table that data directory 4 names, `sizeDelta` bytes off.
Bytes signedSplash(const Bytes& block, std::uint32_t padding, Bytes trailer = {},
                   std::int32_t sizeDelta = 0) {
    if (trailer.empty())
        trailer = trailerFor(static_cast<std::uint32_t>(block.size()));
    Bytes start = concat(concat(Bytes(0x200, 0), block), trailer);
    const auto offset = static_cast<std::uint32_t>(start.size() + padding);
    Bytes file = concat(concat(start, Bytes(padding, 0)), Bytes(64, 0x30));
    Bytes headers = peHeaders(offset, static_cast<std::uint32_t>(64 + sizeDelta));
    std::copy(headers.begin(), headers.end(), file.begin());
    return file;
}

class ReaderFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("reader-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string write(const Bytes& content, const char* name = "splash.bin") {
        fs::path path = folder / name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(content.data()),
                  static_cast<std::streamsize>(content.size()));
        return path.string();
    }
    std::string failureOf(const std::string& fileName) {
        try {
            loadPayloadFromFile(fileName);
        } catch (const std::string& message) {
            return message;
        }
        ADD_FAILURE() << "no text exception for " << fileName;
        return {};
    }
    fs::path folder;
};

// Lets the n-th read (1-based) fail and counts the reads, for the paths a real file rarely
// takes on demand.
class CountingFile : public ReadOnlyFile {
  public:
    explicit CountingFile(int failingRead = 0) : failingRead(failingRead) {}
    bool read(void* buffer, UINT count) override {
        ++reads;
        bytesRequested += count;
        if (reads == failingRead)
            return false;
        return ReadOnlyFile::read(buffer, count);
    }
    void close() override {
        if (*this)
            ++closes;
        ReadOnlyFile::close();
    }
    int failingRead;
    int reads = 0;
    int closes = 0;
    std::uint64_t bytesRequested = 0;
};

} // namespace

TEST_F(ReaderFiles, ReturnsTheBlockAsTheOnlyHolder) {
    Bytes image = {'M', 'Z', 1, 2, 3};
    Bytes block = {10, 20, 30, 40};
    std::string name = write(concat(concat(image, block), trailerFor(4)));
    CountingFile file;
    DataContent payload = loadPayloadFromFile(name, file);
    ASSERT_EQ(payload.size, 4u);
    EXPECT_TRUE(payload.owned);
    EXPECT_EQ(Bytes(payload.data, payload.data + payload.size), block);
    EXPECT_EQ(ContentRegistry::instance().countOf(payload.data), 1u);
    EXPECT_EQ(file.reads, 2) << "the trailer and the block, nothing else";
    EXPECT_EQ(file.bytesRequested, 24u);
    EXPECT_EQ(file.closes, 1);
    payload.dispose();
    EXPECT_EQ(ContentRegistry::instance().entryCount(), 0u);
}

TEST_F(ReaderFiles, ASignedSplashsTrailerIsFoundBeforeItsTable) {
    const Bytes block = {10, 20, 30, 40, 50};
    const struct {
        const char* what;
        Bytes content;
        int reads;
    } cases[] = {
        // Headers naming a table, yet a trailer at the end: read as an unsigned file is.
        {"unsigned", concat(concat(peHeaders(0x200, 64), block), trailerFor(5)), 2},
        {"signed without padding", signedSplash(block, 0), 4},
        {"signed with 4 bytes of padding", signedSplash(block, 4), 4},
    };
    for (const auto& c : cases) {
        CountingFile file;
        DataContent payload = loadPayloadFromFile(write(c.content), file);
        EXPECT_EQ(Bytes(payload.data, payload.data + payload.size), block) << c.what;
        EXPECT_EQ(file.reads, c.reads) << c.what;
        EXPECT_EQ(file.closes, 1) << c.what;
        payload.dispose();
    }
}

TEST_F(ReaderFiles, BlockMayStartAtTheFirstByte) {
    Bytes block = {7, 7, 7};
    std::string name = write(concat(block, trailerFor(3)));
    DataContent payload = loadPayloadFromFile(name);
    EXPECT_EQ(Bytes(payload.data, payload.data + payload.size), block);
}

TEST_F(ReaderFiles, EveryMessageWithItsExactText) {
    const std::string missing = (folder / "absent.exe").string();
    struct Case {
        const char* what;
        Bytes content;
        std::string expected; // the file name is appended by the check below
    };
    std::vector<Case> cases = {
        {"empty", {}, ""},
        {"nineteen bytes", Bytes(19, 'x'),
         "The file size is less thean the size of trailer section. File name is {@}. File size is "
         "19. Size of trailer is 20."},
        {"marker without its NUL", trailerFor(0, "Trailer SectionX"),
         "The trailer section is invalid. File name is {@}."},
        {"marker in another case", trailerFor(0, "trailer section"),
         "The trailer section is invalid. File name is {@}."},
        {"payload size 0", trailerFor(0), "DataContent::create - the passed size is NULL."},
        {"one byte short", concat(Bytes(5, 1), trailerFor(6)),
         "The file size is less thean the size data with trailer. File name is {@}. File size is "
         "25. Size of data with trailer is 26."},
        {"size near 2^32 does not wrap", concat(Bytes(5, 1), trailerFor(0xFFFFFFF0u)),
         "The file size is less thean the size data with trailer. File name is {@}. File size is "
         "25. Size of data with trailer is 4294967300."},
        // Signed: the file is taken to end where the trailer before the table ends.
        {"signed, directory pointing past the end", signedSplash(Bytes(3, 1), 4, {}, 1),
         "The trailer section is invalid. File name is {@}."},
        {"signed, table not reaching the end", signedSplash(Bytes(3, 1), 4, {}, -1),
         "The trailer section is invalid. File name is {@}."},
        {"signed, invalid trailer before the table",
         signedSplash(Bytes(3, 1), 4, trailerFor(3, "Trailer Sectiom")),
         "The trailer section is invalid. File name is {@}."},
        {"signed, eight bytes of padding", signedSplash(Bytes(3, 1), 8),
         "The trailer section is invalid. File name is {@}."},
        {"signed, block one byte larger than the file before its trailer",
         signedSplash(Bytes(3, 1), 4, trailerFor(0x200 + 4)),
         "The file size is less thean the size data with trailer. File name is {@}. File size is "
         "535. Size of data with trailer is 536."},
    };
    for (const Case& c : cases) {
        std::string name = write(c.content, "case.bin");
        std::string expected = c.expected;
        if (expected.empty()) {
            EXPECT_EQ(failureOf(name).rfind("Could not get the size of file {" + name +
                                                "}.\nSystem Error is : GetLastError() = ",
                                            0),
                      0u)
                << c.what;
            continue;
        }
        auto at = expected.find('@');
        if (at != std::string::npos)
            expected.replace(at, 1, name);
        EXPECT_EQ(failureOf(name), expected) << c.what;
    }
    std::string openFailure = failureOf(missing);
    EXPECT_EQ(openFailure.rfind("Could not open for load the file {" + missing +
                                    "}.\nSystem Error is : GetLastError() = ",
                                0),
              0u);
    EXPECT_EQ(openFailure.back(), '.');
    EXPECT_EQ(ContentRegistry::instance().entryCount(), 0u);
}

TEST_F(ReaderFiles, FailedReadsReportAndCloseTheFile) {
    const std::string plain = write(concat(Bytes(8, 2), trailerFor(8)), "plain.bin");
    const std::string signedFile = write(signedSplash(Bytes(8, 2), 4), "signed.bin");
    const auto inBraces = [](const std::string& name) { return "{" + name + "}."; };
    const struct {
        std::string name;
        int failing;
        std::string expected;
    } cases[] = {
        {plain, 1, "Could not read the trailer section. File name is " + inBraces(plain)},
        {plain, 2, "Could not read the file " + inBraces(plain)},
        // Of a signed file, the headers and the bytes before the table.
        {signedFile, 2, "The trailer section is invalid. File name is " + inBraces(signedFile)},
        {signedFile, 3, "The trailer section is invalid. File name is " + inBraces(signedFile)},
        {signedFile, 4, "Could not read the file " + inBraces(signedFile)},
    };
    for (const auto& c : cases) {
        CountingFile file(c.failing);
        std::string message;
        try {
            loadPayloadFromFile(c.name, file);
        } catch (const std::string& text) {
            message = text;
        }
        EXPECT_EQ(message, c.expected) << "read " << c.failing;
        EXPECT_EQ(file.closes, 1);
        EXPECT_FALSE(file);
        EXPECT_EQ(ContentRegistry::instance().entryCount(), 0u)
            << "the buffer of a failed read is freed";
    }
}

TEST_F(ReaderFiles, ChecksRunInOrder) {
    // Too short to hold a trailer, and its bytes spell no marker either: only the size is reported.
    std::string name = write(Bytes{'T', 'r'});
    EXPECT_NE(failureOf(name).find("less thean the size of trailer section"), std::string::npos);
    // A bad marker is reported before an impossible payload size is looked at.
    name = write(trailerFor(0xFFFFFFFFu, "Trailer Sectiom"));
    EXPECT_NE(failureOf(name).find("trailer section is invalid"), std::string::npos);
}

TEST_F(ReaderFiles, AFolderCannotBeOpened) {
    std::string message = failureOf(folder.string());
    EXPECT_TRUE(message.rfind("Could not open for load the file {", 0) == 0 ||
                message.rfind("Could not get the size of file {", 0) == 0)
        << message;
#ifndef _WIN32
    // Windows refuses to open a folder as a file with ERROR_ACCESS_DENIED.
    EXPECT_NE(message.find("GetLastError() = 5\nAccess is denied."), std::string::npos) << message;
    message = failureOf((folder / "none" / "x.exe").string());
    EXPECT_NE(message.find("GetLastError() = 3\nThe system cannot find the path specified."),
              std::string::npos)
        << message;
#endif
}

TEST(SystemErrorText, CarriesTheCodeAndTheSystemsOwnText) {
    std::string text = systemErrorText(2);
    ASSERT_EQ(text.rfind("GetLastError() = 2\n", 0), 0u);
    std::string systemText = text.substr(std::string("GetLastError() = 2\n").size());
#ifdef _WIN32
    // Windows says "cannot find the file", Wine "File not found."; both come from the system.
    EXPECT_TRUE(systemText.find("cannot find the file") != std::string::npos ||
                systemText.find("File not found") != std::string::npos)
        << systemText;
#else
    EXPECT_EQ(systemText, "The system cannot find the file specified.");
#endif
    EXPECT_EQ(systemErrorText(0).rfind("GetLastError() = 0\n", 0), 0u);
}

TEST(UintToText, IsPlainUnsignedDecimal) {
    EXPECT_EQ(uintToText(0), "0");
    EXPECT_EQ(uintToText(20), "20");
    EXPECT_EQ(uintToText(4294967295u), "4294967295");
}

TEST_F(ReaderFiles, BlocksOfTwoGibibytesAreRefusedBeforePositioning) {
    // A sparse file: the declared block fits in the file but is beyond the reachable distance.
    const std::uint64_t fileSize = (std::uint64_t{1} << 31) + 100;
    fs::path path = folder / "huge.bin";
    { std::ofstream out(path, std::ios::binary); }
    fs::resize_file(path, fileSize - 20);
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        Bytes trailer = trailerFor(0x80000000u);
        out.write(reinterpret_cast<const char*>(trailer.data()), 20);
    }
    ASSERT_EQ(fs::file_size(path), fileSize);
    CountingFile file;
    std::string message;
    try {
        loadPayloadFromFile(path.string(), file);
    } catch (const std::string& text) {
        message = text;
    }
    EXPECT_EQ(message, "The size data with trailer is too large. File name is {" + path.string() +
                           "}. Size of data with trailer is 2147483668. The largest size supported "
                           "is 2147483647.");
    EXPECT_EQ(file.reads, 1) << "only the trailer was read";
}

TEST(CertificateTable, OnlyATableAfterTheHeadersThatEndsTheFile) {
    const auto poke = [](std::size_t at, std::uint32_t value, int width) {
        return [=](Bytes& headers) { putLittle(headers, at, value, width); };
    };
    const struct {
        const char* what;
        std::function<void(Bytes&)> change;
        std::uint32_t fileSize;
        bool found;
    } cases[] = {
        {"PE32", nullptr, 0x240, true},
        {"not MZ", poke(0, 'Z', 1), 0x240, false},
        {"signature outside the bytes read", poke(0x3C, 0x1F0, 4), 0x240, false},
        {"signature offset near 2^32", poke(0x3C, 0xFFFFFFF0u, 4), 0x240, false},
        {"no PE signature", poke(peAt + 2, 1, 1), 0x240, false},
        {"neither PE32 nor PE32+", poke(optionalAt, 0x107, 2), 0x240, false},
        {"4 data directories", poke(optionalAt + 92, 4, 4), 0x240, false},
        {"optional header too short for directory 4", poke(peAt + 20, 0x80, 2), 0x240, false},
        {"table inside the headers", poke(optionalAt + 60, 0x208, 4), 0x240, false},
        {"table inside the section table", poke(peAt + 6, 12, 2), 0x240, false},
        {"table of size 0", poke(pe32Security + 4, 0, 4), 0x200, false},
        {"table past the end", nullptr, 0x23F, false},
        {"table short of the end", nullptr, 0x241, false},
        {"offset and size overflow", poke(pe32Security + 4, 0xFFFFFE40u, 4), 0x40, false},
    };
    for (const auto& c : cases) {
        Bytes headers = peHeaders(0x200, 0x40);
        if (c.change)
            c.change(headers);
        CertificateTable table;
        ASSERT_EQ(certificateTableOf(headers.data(), static_cast<UINT>(headers.size()), c.fileSize,
                                     table),
                  c.found)
            << c.what;
        if (c.found) {
            EXPECT_EQ(table.offset, 0x200u);
            EXPECT_EQ(table.size, 0x40u);
        }
    }
    const Bytes plus = peHeaders(0x200, 0x40, true);
    CertificateTable table;
    EXPECT_TRUE(certificateTableOf(plus.data(), 0x200, 0x240, table)) << "PE32+";
    EXPECT_FALSE(certificateTableOf(plus.data(), pe32PlusSecurity + 7, 0x240, table))
        << "directory 4 not wholly among the bytes read";
}

TEST(CertificateTable, TheTrailerBeforeItLeavesUpToSevenZeroBytes) {
    const Bytes cut = trailerFor(1);
    const struct {
        const char* what;
        Bytes before; // the bytes that end where the table starts
        int padding;  // -1: no trailer there
    } cases[] = {
        {"no padding", concat(Bytes(7, 9), trailerFor(0x100)), 0},
        {"7 bytes", concat(trailerFor(0x100), Bytes(7, 0)), 7},
        {"8 bytes", concat(trailerFor(0x100), Bytes(8, 0)), -1},
        {"padding not zero", concat(trailerFor(0x100), Bytes{0, 1, 0, 0}), -1},
        {"a trailer cut to 19 bytes", Bytes(cut.begin() + 1, cut.end()), -1},
    };
    for (const auto& c : cases) {
        UINT padding = 99;
        const bool found =
            paddingBeforeTable(c.before.data(), static_cast<UINT>(c.before.size()), padding);
        EXPECT_EQ(found ? static_cast<int>(padding) : -1, c.padding) << c.what;
    }

    // A whole file in memory gives the same place the reader finds.
    UINT end = 0;
    const Bytes signedFile = signedSplash({1, 2, 3}, 5);
    ASSERT_TRUE(trailerEndOf(signedFile.data(), static_cast<UINT>(signedFile.size()), end));
    EXPECT_EQ(end, 0x200u + 23);
    const Bytes plain = concat({1, 2, 3}, trailerFor(3));
    ASSERT_TRUE(trailerEndOf(plain.data(), static_cast<UINT>(plain.size()), end));
    EXPECT_EQ(end, 23u);
    EXPECT_FALSE(trailerEndOf(plain.data(), 22, end));
}
