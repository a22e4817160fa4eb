// Output in the locale's codeset. The texts are UTF-8; a terminal set up
// for KOI8-R, CP1251 or ISO-8859-5 would show them as garbage and take a
// typed «д» for other bytes. Such a locale gets stdout and stderr converted
// into its codeset and the prompt's answer read in it; where the conversion
// is not to be had, the messages are English and the output ASCII.
#pragma once

#include <string>

// The codeset the locale names: nl_langinfo(CODESET) when the locale is
// installed, else the part after '.' of the first of LC_ALL, LC_CTYPE and
// LANG that is set ("ru_RU.KOI8-R"); "" when neither tells.
std::string LocaleCodeset();

// Converts stdout and stderr into codeset from here on, unless it is UTF-8
// or plain ASCII (the C locale), which take the texts as they are. False
// when the output is ASCII: the C locale, no codeset named, one no
// conversion exists for, or one that does not write ASCII as ASCII (UTF-16,
// UTF-32, UCS-2, UCS-4, EBCDIC: the output is then made ASCII). The messages
// are then English.
bool ConvertOutputTo(const std::string& codeset);

// What ConvertOutputTo left: true when the terminal takes ASCII only, so
// that text nobody here chose must reach it in ASCII. False before the call.
bool OutputIsAscii();

// A line typed at the prompt, in UTF-8.
std::string TypedText(const std::string& bytes);
