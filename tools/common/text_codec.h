// Conversion of the program's Windows-1251 texts for a Linux terminal or file.
#pragma once

#include <string>

// Returns text (Windows-1251) as UTF-8; line breaks are kept as they are.
std::string Cp1251ToUtf8(const std::string& text);

// Returns text with every "\r\n" turned into "\n".
std::string UnixLineBreaks(const std::string& text);
