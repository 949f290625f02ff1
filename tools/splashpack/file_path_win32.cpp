// Opening files in splashpack.exe through the wide name, which holds every character.
#include "file_path.h"

#include <stdio.h>

std::FILE* openFile(const std::string& name, const char* mode) {
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(pathOf(name).c_str(), wideMode.c_str());
}
