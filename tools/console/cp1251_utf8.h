// Turns the program's Windows-1251 log text into UTF-8 for a Linux terminal.
#pragma once

#include <string>

// Every byte maps to one character; the one unassigned byte (0x98) becomes
// U+FFFD. Stops at the first zero byte.
std::string Cp1251ToUtf8(const char* text);
