// The target looked for beside the splash as Windows looks for it: each part in any case.
#include "target_search.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(TargetNameCheck, FoundBesideTheOutputInAnyCase) {
    ScratchFolder folder;
    std::filesystem::create_directories(folder.path("Setup"));
    writeFile(folder.path("Setup/Install.EXE"), {'M', 'Z'});
    std::string output = folder.path("splash.exe");
    std::filesystem::path found = findTargetBeside(output, "setup\\install.exe");
    std::error_code error;
    EXPECT_TRUE(std::filesystem::equivalent(found, folder.path("Setup/Install.EXE"), error))
        << found;
    EXPECT_EQ(std::filesystem::path(), findTargetBeside(output, "setup\\other.exe"));
}
