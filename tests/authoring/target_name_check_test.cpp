// The target name as Windows will see it: room in the joined path, names it refuses, case.
#include "target_name_check.h"

#include "test_files.h"
#include "tool_error.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(TargetNameCheck, Names) {
    struct Case {
        std::string target;
        std::vector<std::string> warnings;
    };
    const std::string room99(159, 'a');
    const Case cases[] = {
        {"setup\\install.exe", {}},
        {"cd/setup.exe", {}},
        {std::string(158, 'a'), {}},
        {room99,
         {"the target \"" + room99 +
          "\" leaves 99 characters for the folder the splash runs from; the player cannot open "
          "it from a longer folder"}},
        {"a?.exe", {"the target \"a?.exe\" holds \"?\", which Windows refuses in file names"}},
        {"a:b", {"the target \"a:b\" holds \":\", which Windows refuses in file names"}},
        {"tab\t.txt",
         {"the target \"tab\t.txt\" holds the control character 0x09, which Windows refuses in "
          "file names"}},
        {"Con", {"the target \"Con\" names the device \"Con\", not a file, on Windows"}},
        {"docs\\lpt1.txt",
         {"the target \"docs\\lpt1.txt\" names the device \"lpt1.txt\", not a file, on Windows"}},
        {"NUL.tar.gz",
         {"the target \"NUL.tar.gz\" names the device \"NUL.tar.gz\", not a file, on "
          "Windows"}},
        {"com0.exe", {}},
        {"console.exe", {}},
        {"lpt10", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.warnings, checkTargetName(c.target, c.target.size())) << c.target;
}

TEST(TargetNameCheck, NamesNoFolderHasRoomForAreRefused) {
    EXPECT_NO_THROW(checkTargetName(std::string(256, 'a'), 256));
    try {
        checkTargetName("long", 257);
        ADD_FAILURE() << "a 257-byte name went through";
    } catch (const InputError& error) {
        EXPECT_EQ(std::string("the target \"long\" is 257 bytes long; the player joins its folder, "
                              "a backslash and the name into at most 259 bytes, so the name can "
                              "have at most 256"),
                  error.what());
    }
}
