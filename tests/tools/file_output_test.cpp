// File output: the temporary file and rename, replacement only when asked, the input messages.
#include "file_output.h"

#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

template <typename Action> std::string inputErrorOf(Action action) {
    try {
        action();
    } catch (const InputError& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(FileOutput, WritesAndReplacesOnlyWhenAsked) {
    ScratchFolder folder;
    std::string out = folder.path("out.exe");
    writeFileAtomically(out, {1, 2, 3}, false);
    EXPECT_EQ(ByteVector({1, 2, 3}), readFile(out));
    EXPECT_EQ("\"" + out + "\" exists; --force replaces it",
              inputErrorOf([&] { writeFileAtomically(out, {4}, false); }));
    EXPECT_EQ(ByteVector({1, 2, 3}), readFile(out));
    writeFileAtomically(out, {4}, true);
    EXPECT_EQ(ByteVector({4}), readFile(out));
    writeFileAtomically(folder.path("empty"), {}, false);
    EXPECT_TRUE(readFile(folder.path("empty")).empty());
    // No temporary file stays behind.
    EXPECT_EQ(std::vector<std::string>({"empty", "out.exe"}), folder.names());
}

// An input copied into an output between bytes in memory: through the system's copy natively,
// through the buffer on Windows. A file that shrinks after it was measured leaves no output.
TEST(FileOutput, JoinsInputFilesAndBytes) {
    ScratchFolder folder;
    ByteVector picture(200000);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<unsigned char>(i * 7 + i / 251);
    writeFile(folder.path("in.bmp"), picture);
    InputFile input(folder.path("in.bmp"), "picture");
    EXPECT_EQ(picture.size(), input.size());
    EXPECT_EQ(ByteVector(picture.begin(), picture.begin() + 54), input.head(54));
    const ByteVector before = {'M', 'Z'};
    const ByteVector after = {1, 2, 3};
    std::string out = folder.path("out.exe");
    for (int twice = 0; twice < 2; ++twice) {
        writeJoinedFileAtomically(out, {OutputPart(before), OutputPart(input), OutputPart(after)},
                                  true);
        ByteVector expected = before;
        expected.insert(expected.end(), picture.begin(), picture.end());
        expected.insert(expected.end(), after.begin(), after.end());
        EXPECT_EQ(expected, readFile(out));
    }

    writeFile(folder.path("in.bmp"), ByteVector(picture.begin(), picture.begin() + 1000));
    EXPECT_EQ("picture \"" + folder.path("in.bmp") + "\" became shorter while splashpack read it",
              inputErrorOf([&] {
                  writeJoinedFileAtomically(folder.path("new.exe"),
                                            {OutputPart(before), OutputPart(input)}, false);
              }));
    EXPECT_EQ(std::vector<std::string>({"in.bmp", "out.exe"}), folder.names());
}

TEST(FileOutput, UnwritablePlacesLeaveNothing) {
    ScratchFolder folder;
    std::string missing = folder.path("no-such-folder/out.exe");
    EXPECT_EQ(0u, inputErrorOf([&] {
                      writeFileAtomically(missing, {1}, true);
                  }).find("cannot write \"" + missing + "\": "));
    EXPECT_EQ("\"" + folder.path("") + "\" is a folder; name the file to write",
              inputErrorOf([&] { writeFileAtomically(folder.path(""), {1}, true); }));
    EXPECT_TRUE(folder.names().empty());
}

TEST(FileOutput, InputMessages) {
    ScratchFolder folder;
    std::string file = folder.path("in.bin");
    writeFile(file, ByteVector(10, 7));
    EXPECT_EQ(ByteVector(10, 7), readInputFile(file, "picture"));
    EXPECT_EQ("picture \"" + file + "\" is larger than 9 bytes",
              inputErrorOf([&] { readInputFile(file, "picture", 9); }));
    EXPECT_EQ("sound \"" + folder.path("none.wav") + "\" does not exist",
              inputErrorOf([&] { readInputFile(folder.path("none.wav"), "sound"); }));
    EXPECT_EQ("player \"" + folder.path("") + "\" is a folder, not a file",
              inputErrorOf([&] { readInputFile(folder.path(""), "player"); }));
    EXPECT_TRUE(sameFile(file, folder.path("./in.bin")));
    EXPECT_FALSE(sameFile(file, folder.path("other")));
}

#ifndef _WIN32
// SIGTERM in the middle of a write: the process ends by the signal, and neither the output nor
// its temporary file stays behind.
TEST(FileOutput, InterruptedWriteLeavesNothing) {
    ScratchFolder folder;
    const ByteVector block(64u * 1024 * 1024, 0x5A);
    const std::vector<OutputPart> parts(4, OutputPart(block));
    pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        try {
            writeJoinedFileAtomically(folder.path("big.exe"), parts, false);
        } catch (...) {
        }
        _exit(0);
    }
    // Signalled as soon as the temporary file is there, long before 256 MB are written.
    bool seen = false;
    for (int poll = 0; poll < 200000 && !seen; ++poll) {
        for (const std::string& name : folder.names())
            seen = seen || name.find(".tmp") != std::string::npos;
        if (!seen)
            usleep(50);
    }
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(seen);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the write ended before the signal came";
    EXPECT_EQ(SIGTERM, WTERMSIG(status));
    EXPECT_EQ(std::vector<std::string>(), folder.names());
}
#endif
