// File output: the temporary file and rename, replacement only when asked, the input messages.
#include "file_output.h"

#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

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
