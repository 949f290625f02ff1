// Start-up of player copies: every failure of reading its own file ends in the error box with
// the exact text and exit code 0.
#include "splash_driver.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace driver;

namespace {

ByteVector trailer(std::uint32_t payloadSize, const char* marker = "Trailer Section") {
    ByteVector bytes(20, 0);
    for (int i = 0; i < 16 && marker[i] != '\0'; ++i)
        bytes[i] = static_cast<unsigned char>(marker[i]);
    for (int i = 0; i < 4; ++i)
        bytes[16 + i] = static_cast<unsigned char>(payloadSize >> (8 * i));
    return bytes;
}

ByteVector operator+(ByteVector a, const ByteVector& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Runs a copy, expects the load error box, presses OK and expects exit code 0.
std::string loadErrorOf(SplashRun& run, const std::string& commandLine = "",
                        const std::string& directory = "") {
    EXPECT_TRUE(run.start(commandLine, directory));
    BoxFacts box;
    if (!run.waitForMessageBox(box, 15000)) {
        ADD_FAILURE() << "no message box";
        return {};
    }
    EXPECT_EQ(box.caption, "Error loading splash data.");
    EXPECT_EQ(run.waitForWindow("SPLASH_BMP", 0, false), nullptr) << "no splash window";
    SplashRun::pressOk(box);
    EXPECT_EQ(run.waitForExit(10000), 0u);
    return box.body;
}

} // namespace

TEST(StartUp, PlayerWithoutPayloadReportsAnInvalidTrailer) {
    SplashRun run;
    run.writeProgram(playerImage());
    EXPECT_EQ(loadErrorOf(run),
              "The trailer section is invalid. File name is {" + run.programPath() + "}.");
}

TEST(StartUp, EveryReaderFailureShowsItsText) {
    const ByteVector& player = playerImage();
    const std::uint32_t playerSize = static_cast<std::uint32_t>(player.size());
    struct Case {
        const char* what;
        ByteVector tail;
        std::string expected; // {} stands for the copy's path
    };
    const std::vector<Case> cases = {
        {"marker without NUL", trailer(4, "Trailer SectionZ"),
         "The trailer section is invalid. File name is {}."},
        {"payload size 0", trailer(0), "DataContent::create - the passed size is NULL."},
        {"one byte too many", trailer(playerSize + 1),
         "The file size is less thean the size data with trailer. File name is {}. File size is " +
             std::to_string(playerSize + 20) + ". Size of data with trailer is " +
             std::to_string(playerSize + 21) + "."},
        {"size near 2^32", trailer(0xFFFFFFFFu),
         "The file size is less thean the size data with trailer. File name is {}. File size is " +
             std::to_string(playerSize + 20) + ". Size of data with trailer is 4294967315."},
        {"block too short to decode", ByteVector{9, 0, 0, 0} + trailer(4),
         "DataContent::operator() const - index is greater than content size."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SplashRun run;
        run.writeProgram(player + c.tail);
        std::string expected = c.expected;
        auto at = expected.find("{}");
        if (at != std::string::npos)
            expected.replace(at, 2, "{" + run.programPath() + "}");
        EXPECT_EQ(loadErrorOf(run), expected);
    }
}

TEST(StartUp, TinyFilesAreReportedBeforeAnyRead) {
    // The program is started from a real copy; argument 0 then names a tiny file beside it.
    for (size_t size : {size_t{0}, size_t{19}}) {
        SCOPED_TRACE(size);
        SplashRun run;
        run.writeProgram(playerImage());
        run.writeFile("tiny", ByteVector(size, 'x'));
        std::string tiny = run.folder() + "\\tiny";
        std::string body = loadErrorOf(run, "\"" + tiny + "\"", "");
        if (size == 0) {
            EXPECT_EQ(body.rfind("Could not get the size of file {" + tiny +
                                     "}.\nSystem Error is : GetLastError() = ",
                                 0),
                      0u)
                << body;
        } else {
            EXPECT_EQ(body,
                      "The file size is less thean the size of trailer section. File name is {" +
                          tiny + "}. File size is 19. Size of trailer is 20.");
        }
    }
}

TEST(StartUp, RelativeArgumentZeroFromAnotherFolderCannotBeOpened) {
    SplashRun run;
    run.writeSplash(basicSplash());
    // Started as "splash" (no extension) from the temporary folder's parent: argument 0 is
    // taken as it stands, relative to the current folder, and names no file there.
    std::string body = loadErrorOf(run, "splash", run.folder() + "\\..");
    EXPECT_EQ(body.rfind("Could not open for load the file {splash}.\nSystem Error is : "
                         "GetLastError() = 2\n",
                         0),
              0u)
        << body;
}
