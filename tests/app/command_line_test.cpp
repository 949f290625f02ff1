// Argument 0 as the runtime splits the command line: quoted paths, blanks, tabs, and the
// module's own name when the command line is empty; and the tail that WinMain receives.
#include "command_line.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    const char* commandLine;
    const char* moduleFileName;
    const char* argumentZero;
    // What the start-up passes WinMain for the same command line.
    const char* tail;
};

const SplitCase splitCases[] = {
    {"quoted path with blanks", "\"C:\\Program Files\\Show\\show.exe\" -x", "M",
     "C:\\Program Files\\Show\\show.exe", "-x"},
    {"quoted path alone", "\"C:\\Show\\show.exe\"", "M", "C:\\Show\\show.exe", ""},
    {"quote never closed runs to the end", "\"C:\\My Show\\show.exe -x", "M",
     "C:\\My Show\\show.exe -x", ""},
    {"text after the closing quote is not argument 0", "\"C:\\a b\"c.exe d", "M", "C:\\a b", "d"},
    {"empty quotes give an empty path", "\"\" rest", "M", "", "rest"},
    {"lone quote gives an empty path", "\"", "M", "", ""},
    {"unquoted ends at a blank", "C:\\Show\\show.exe arg", "M", "C:\\Show\\show.exe", "arg"},
    {"unquoted ends at a tab", "show.exe\targ", "M", "show.exe", "arg"},
    {"unquoted without arguments", "show", "M", "show", ""},
    {"quote inside an unquoted name stays", "sh\"ow.exe x", "M", "sh\"ow.exe", ""},
    {"leading blank gives an empty path", " show.exe", "M", "", "show.exe"},
    {"leading tab gives an empty path", "\tshow.exe", "M", "", "show.exe"},
    {"relative name is kept as it is", "..\\other\\show arg", "M", "..\\other\\show", "arg"},
    {"empty command line takes the module name", "", "C:\\Show\\show.exe", "C:\\Show\\show.exe",
     ""},
    {"module name is split the same way", "", "C:\\My Show\\show.exe", "C:\\My", ""},
    {"quoted module name", "", "\"C:\\My Show\\show.exe\"", "C:\\My Show\\show.exe", ""},
    {"both empty", "", "", "", ""},
    {"a command line of one blank is not empty", " ", "C:\\show.exe", "", ""},
    {"blanks between arguments stay in the tail", "show.exe  \t a  b ", "M", "show.exe", "a  b "},
    {"a quoted blank does not end the name", "\"C:\\My Show\"\\show.exe /s", "M", "C:\\My Show",
     "/s"},
};

TEST(CommandLine, ArgumentZeroAndTailForEachCase) {
    for (const SplitCase& c : splitCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(programPathArgument(c.commandLine, c.moduleFileName), c.argumentZero);
        EXPECT_STREQ(commandLineTail(c.commandLine), c.tail);
    }
}

TEST(CommandLine, FirstArgumentKeepsNonAsciiBytes) {
    const std::string line = "C:\\\xC4rger\\sh\xF6w.exe x";
    EXPECT_EQ(firstArgumentOf(line), "C:\\\xC4rger\\sh\xF6w.exe");
}

} // namespace
