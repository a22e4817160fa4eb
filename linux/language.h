// The language of modemswitch's messages: Russian in a Russian locale,
// English in any other. Chosen once at start; every message goes through Tr.
#pragma once

#include "text.h"

// The locale's language as POSIX ranks its variables: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty decides; Russian when it
// starts with "ru". Null stands for an unset variable.
Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The same, read from this process's environment.
Language LanguageOfEnvironment();

void SetCliLanguage(Language language);
Language CliLanguage();

// The text in the command line's language.
const char* Tr(const Text& text);
