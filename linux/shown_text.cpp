#include "shown_text.h"

#include <cstdio>

#include "locale_codeset.h"

namespace {

// The code point of the well-formed UTF-8 sequence text starts with and its
// length, or length 0 when none starts there (overlong forms, surrogates,
// code points past U+10FFFF and cut sequences included).
struct Decoded {
    char32_t codePoint;
    std::size_t length;
};

Decoded DecodeUtf8(std::string_view text) {
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {0, 0};
    }
    if (text.size() < length) return {0, 0};
    char32_t codePoint = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return {0, 0};
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return {codePoint, length};
}

bool SteersTerminal(char32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F) ||
           (codePoint >= 0x202A && codePoint <= 0x202E) ||
           (codePoint >= 0x2066 && codePoint <= 0x2069);
}

std::string Escape(const char* format, unsigned long value) {
    char escape[16];
    std::snprintf(escape, sizeof escape, format, value);
    return escape;
}

// How one character (or one stray byte) is shown.
std::string ShownCharacter(std::string_view at, const Decoded& decoded, const ShownForm& form) {
    if (decoded.length == 0) return Escape("\\x%02lx", static_cast<unsigned char>(at[0]));
    const char32_t c = decoded.codePoint;
    if (form.layout == ShownLayout::Log) {
        if (c == '\r') return "";  // the log's lines end in "\r\n"
        if (c == '\n' || c == '\t') return std::string(1, static_cast<char>(c));
    }
    if (!SteersTerminal(c) && (c < 0x80 || !form.asciiOnly)) {
        return std::string(at.substr(0, decoded.length));
    }
    if (decoded.length == 1) return Escape("\\x%02lx", c);
    return Escape(c > 0xFFFF ? "\\U%08lx" : "\\u%04lx", c);
}

}  // namespace

std::string Shown(std::string_view bytes, const ShownForm& form) {
    std::string out;
    while (!bytes.empty()) {
        const Decoded decoded = DecodeUtf8(bytes);
        const std::string shown = ShownCharacter(bytes, decoded, form);
        if (out.size() + shown.size() > form.limit) return out + "...";
        out += shown;
        bytes.remove_prefix(decoded.length == 0 ? 1 : decoded.length);
    }
    return out;
}

std::string ShownLine(std::string_view bytes, std::size_t limit) {
    return Shown(bytes, {ShownLayout::OneLine, OutputIsAscii(), limit});
}
