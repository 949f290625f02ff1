// Paths and texts of the target launch.
#include "launch_paths.h"

namespace {

bool sameAsciiLettersIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

} // namespace

std::string directoryOf(const std::string& path) {
    const std::string::size_type separator = path.find_last_of("\\/");
    const std::string directory = separator == std::string::npos ? path : path.substr(0, separator);
    return directory.empty() ? std::string(".") : directory;
}

std::string fileNameOf(const std::string& path) {
    const std::string::size_type separator = path.find_last_of(":\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string targetPathOf(const std::string& modulePath, const std::string& targetFile) {
    return directoryOf(modulePath) + "\\" + targetFile;
}

bool needsExtendedOpen(const std::string& associatedProgram) {
    return sameAsciiLettersIgnoringCase(fileNameOf(associatedProgram), "WinWord.exe");
}

bool needsOpenWith(UINT shellResult) {
    return shellResult == shellNoAssociation;
}

bool launchSucceeded(UINT shellResult, UINT lastError) {
    return lastError == 0 || shellResult > shellErrorLimit;
}

std::string openWithParameters(const std::string& targetPath) {
    return "shell32.dll,OpenAs_RunDLL " + targetPath;
}

std::string cannotRunFileText(const std::string& targetFile) {
    return "The following file cannot be run:\n\n" + targetFile + "\n\n" +
           "This is for one of the following reasons:\n\n" + "- The file cannot be located\n" +
           "- The program required to open the file cannot be located";
}
