// Path splitting, the word-processor test, the launch decisions and the launch texts.
#include "launch_paths.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* path;
    const char* directory;
    const char* fileName;
};

const PathCase pathCases[] = {
    {"C:\\Apps\\Show\\show.exe", "C:\\Apps\\Show", "show.exe"},
    {"C:/Apps/show.exe", "C:/Apps", "show.exe"},
    {"\\show.exe", ".", "show.exe"},
    {"/show.exe", ".", "show.exe"},
    {"", ".", ""},
    {"show.exe", "show.exe", "show.exe"},
    {"C:\\Office\\WINWORD.EXE", "C:\\Office", "WINWORD.EXE"},
    // A colon splits a file name off but never a folder.
    {"C:winword.exe", "C:winword.exe", "winword.exe"},
    {"C:\\", "C:", ""},
    {"C:\\Apps\\", "C:\\Apps", ""},
    {"C:/Apps\\Mixed/last.exe", "C:/Apps\\Mixed", "last.exe"},
    {"\\\\server\\share\\show.exe", "\\\\server\\share", "show.exe"},
    {"a:b\\c:d", "a:b", "d"},
};

TEST(LaunchPaths, SplitsFolderAndFileName) {
    for (const PathCase& c : pathCases) {
        EXPECT_EQ(directoryOf(c.path), c.directory) << c.path;
        EXPECT_EQ(fileNameOf(c.path), c.fileName) << c.path;
    }
}

TEST(LaunchPaths, TargetIsJoinedToTheProgramsFolder) {
    EXPECT_EQ(targetPathOf("C:\\Apps\\Show\\show.exe", "readme.txt"), "C:\\Apps\\Show\\readme.txt");
    EXPECT_EQ(targetPathOf("C:\\Apps\\show.exe", "docs\\guide.doc"), "C:\\Apps\\docs\\guide.doc");
    EXPECT_EQ(targetPathOf("show.exe", "a.txt"), "show.exe\\a.txt");
    EXPECT_EQ(targetPathOf("\\show.exe", "a.txt"), ".\\a.txt");
    // The stored name is joined as it is, whatever it holds.
    EXPECT_EQ(targetPathOf("C:\\Apps\\show.exe", "D:\\x.txt"), "C:\\Apps\\D:\\x.txt");
    EXPECT_EQ(targetPathOf("C:\\Apps\\show.exe", ""), "C:\\Apps\\");
}

TEST(LaunchPaths, RecognisesTheWordProcessorInAnyCase) {
    const char* word[] = {"C:\\Office\\WINWORD.EXE", "C:\\Office\\winword.exe",
                          "C:\\Office\\WinWord.exe", "wInWoRd.ExE",
                          "C:winword.exe",           "D:/Program Files/Office/WinWord.EXE"};
    for (const char* path : word)
        EXPECT_TRUE(needsExtendedOpen(path)) << path;
    const char* other[] = {"C:\\Office\\winword.com",
                           "C:\\Office\\xwinword.exe",
                           "C:\\Office\\winword.exe.lnk",
                           "C:\\Office\\winword.ex",
                           "C:\\Office\\winword",
                           "C:\\WinWord.exe\\notepad.exe",
                           "C:\\Office\\winword .exe",
                           "",
                           "C:\\Office\\"};
    for (const char* path : other)
        EXPECT_FALSE(needsExtendedOpen(path)) << path;
    // Only ASCII letters fold: a byte above 0x7F is never the same as an ASCII letter.
    EXPECT_FALSE(needsExtendedOpen("w\xC9nword.exe"));
}

TEST(LaunchPaths, ShellResultsDecideTheNextStep) {
    struct Case {
        UINT result, error;
        bool openWith, succeeded;
    };
    const Case cases[] = {
        {33, 5, false, true},  {42, 0, false, true},    {32, 0, false, true},
        {32, 2, false, false}, {31, 1155, true, false}, {31, 0, true, true},
        {2, 2, false, false},  {0, 8, false, false},    {0, 0, false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(needsOpenWith(c.result), c.openWith) << c.result << "/" << c.error;
        EXPECT_EQ(launchSucceeded(c.result, c.error), c.succeeded) << c.result << "/" << c.error;
    }
}

TEST(LaunchPaths, LaunchTextsAreExact) {
    EXPECT_EQ(openWithParameters("C:\\Apps\\data.xyz"),
              "shell32.dll,OpenAs_RunDLL C:\\Apps\\data.xyz");
    EXPECT_EQ(cannotRunFileText("docs\\missing.doc"),
              "The following file cannot be run:\n\ndocs\\missing.doc\n\n"
              "This is for one of the following reasons:\n\n"
              "- The file cannot be located\n"
              "- The program required to open the file cannot be located");
    EXPECT_EQ(cannotRunFileText(""), "The following file cannot be run:\n\n\n\n"
                                     "This is for one of the following reasons:\n\n"
                                     "- The file cannot be located\n"
                                     "- The program required to open the file cannot be located");
}

} // namespace
