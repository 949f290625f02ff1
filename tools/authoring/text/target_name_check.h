// What Windows makes of the target name: whether the player's joined path can hold it, and
// whether Windows can open a file of that name.
#pragma once

#include <cstddef>
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

// The parts of the name between backslashes and slashes: the player's join keeps both as
// separators, so a target may lie in a subfolder of the player's folder.
std::vector<std::string> targetNameParts(const std::string& target);

// True when Windows takes the two file names for one: ASCII letters match in either case.
bool namesMatchOnWindows(const std::string& first, const std::string& second);
