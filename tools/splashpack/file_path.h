// File names as the tool holds them: UTF-8 text, turned into paths and opened so that every
// character survives on Windows, whose runtime would read a narrow name in the ANSI code page.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// The path named by the UTF-8 text `name`.
inline std::filesystem::path pathOf(const std::string& name) {
    return std::filesystem::u8path(name);
}

// The UTF-8 text of `path`, for messages and for the names stored in a splash.
inline std::string textOf(const std::filesystem::path& path) {
    return path.u8string();
}

// std::fopen of the file named by the UTF-8 text `name`.
std::FILE* openFile(const std::string& name, const char* mode);
