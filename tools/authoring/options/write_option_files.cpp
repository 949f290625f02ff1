// Writes what the build makes from the table of options (the program is a build tool, not part
// of the core's library):
//   write_option_files manual TEMPLATE OUT     the manual page, its OPTIONS sections filled in
//   write_option_files bash|zsh|fish OUT       a shell's completions
//   write_option_files page OUT                the page's form, as JSON
//   write_option_files readme README [--check] the README's table of options made anew; with
//                                              --check, only fails when it is not up to date
#include "option_documents.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string contentOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Written to a temporary file and renamed, so that a build stopped half way leaves no half file.
void writeFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary);
        file << text;
        if (!file.flush())
            throw std::runtime_error("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot write " + path);
}

int run(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "manual" && argc == 4) {
        writeFile(argv[3], manualWithOptions(contentOf(argv[2])));
    } else if (mode == "bash" && argc == 3) {
        writeFile(argv[2], bashCompletion());
    } else if (mode == "zsh" && argc == 3) {
        writeFile(argv[2], zshCompletion());
    } else if (mode == "fish" && argc == 3) {
        writeFile(argv[2], fishCompletion());
    } else if (mode == "page" && argc == 3) {
        writeFile(argv[2], pageFormJson());
    } else if (mode == "readme" &&
               (argc == 3 || (argc == 4 && std::string(argv[3]) == "--check"))) {
        const std::string readme = contentOf(argv[2]);
        const std::string made = readmeWithOptionTable(readme);
        if (argc == 3) {
            if (made != readme)
                writeFile(argv[2], made);
        } else if (made != readme) {
            std::cerr << argv[2]
                      << ": its table of options is not the one the table of options "
                         "gives; write it anew with: write_option_files readme "
                      << argv[2] << "\n";
            return 1;
        }
    } else {
        std::cerr << "usage: write_option_files manual TEMPLATE OUT | bash|zsh|fish|page OUT | "
                     "readme README [--check]\n";
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "write_option_files: " << error.what() << "\n";
        return 1;
    }
}
