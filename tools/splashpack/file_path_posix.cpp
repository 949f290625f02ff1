// Opening files on POSIX systems, whose file names are the UTF-8 bytes themselves.
#include "file_path.h"

std::FILE* openFile(const std::string& name, const char* mode) {
    return std::fopen(name.c_str(), mode);
}
