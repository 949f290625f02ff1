// Every message of the container reader, the order of its checks, and its two reads, on
// real files of the platform the test runs on.
#include "file_access.h"
#include "payload_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
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
    std::string name = write(concat(Bytes(8, 2), trailerFor(8)));
    for (int failing : {1, 2}) {
        CountingFile file(failing);
        std::string message;
        try {
            loadPayloadFromFile(name, file);
        } catch (const std::string& text) {
            message = text;
        }
        EXPECT_EQ(message, failing == 1
                               ? "Could not read the trailer section. File name is {" + name + "}."
                               : "Could not read the file {" + name + "}.");
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
    EXPECT_EQ(systemText, "No such file or directory");
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
