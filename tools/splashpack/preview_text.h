// Stored texts as characters: the player hands their bytes to the ANSI functions of Windows.
#pragma once

#include <string>

// The characters of `text`, read in the one code page the tool assumes for stored texts
// (Windows-1252); the five bytes that page leaves undefined stay C1 controls, as Windows
// itself converts them.
std::u32string charactersOfStoredText(const std::string& text);

// The same characters as UTF-8, for what inspect and preview print.
std::string storedTextAsUtf8(const std::string& text);
