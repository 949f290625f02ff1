// What Windows makes of the target name: whether the player's joined path can hold it, whether
// Windows can open a file of that name, and the file beside the output that it names.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// The longest path the player builds: its folder, a backslash and the name, in MAX_PATH bytes
// with the terminating zero.
constexpr std::size_t longestJoinedPath = 259;
// The shortest folder a program runs from: a drive, "C:".
constexpr std::size_t shortestFolder = 2;
// Less room than this for the folder is worth a warning: CD-ROM and installer folders are long.
constexpr std::size_t comfortableFolderRoom = 100;

// Warnings about the name as stored (`storedLength` bytes in the code page); raises InputError
// for a name that no folder leaves room for.
std::vector<std::string> checkTargetName(const std::string& target, std::size_t storedLength);

// The target beside the output, found as Windows finds it: each part of the name matched
// without regard to case. Empty when there is no such file.
std::filesystem::path findTargetBeside(const std::string& output, const std::string& target);
