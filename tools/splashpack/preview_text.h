// The payload's texts as characters to draw: they are stored in a Windows code page.
#pragma once

#include <string>

// The characters of `text`, read in the one code page the preview assumes (Windows-1252);
// bytes that page leaves undefined become U+FFFD.
std::u32string charactersOfStoredText(const std::string& text);

// The same characters as UTF-8, for the lines the preview prints.
std::string storedTextAsUtf8(const std::string& text);
