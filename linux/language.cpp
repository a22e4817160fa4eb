#include "cli_texts.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

Language g_language = Language::English;

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

}  // namespace

Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (IsSet(value)) {
            return std::strncmp(value, "ru", 2) == 0 ? Language::Russian : Language::English;
        }
    }
    return Language::English;
}

Language LanguageOfEnvironment() {
    return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

void SetCliLanguage(Language language) { g_language = language; }

Language CliLanguage() { return g_language; }

const char* Tr(const Text& text) { return text.In(g_language); }
