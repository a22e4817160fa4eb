// A text the program shows, in each language it speaks. The Windows dialog
// speaks Russian only; the Linux command line follows the user's locale.
#pragma once

enum class Language {
    Russian,
    English,
};

namespace text_detail {
// Not constexpr on purpose: reaching it while a Text constant is built makes
// that constant's initialisation fail to compile.
inline void TextMissingInOneLanguage() {}
}  // namespace text_detail

struct Text {
    // Both languages are required: a Text constant with an empty one does
    // not compile, so no text can exist in one language only.
    constexpr Text(const char* russianText, const char* englishText)
        : russian(russianText), english(englishText) {
        if (russian == nullptr || *russian == '\0' || english == nullptr || *english == '\0') {
            text_detail::TextMissingInOneLanguage();
        }
    }

    constexpr const char* In(Language language) const {
        return language == Language::English ? english : russian;
    }

    const char* russian;
    const char* english;
};
