#include "escape.h"

namespace modemsim {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Value of the two hex digits at text[at], or -1.
int HexPair(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size()) return -1;
    const int high = HexDigitValue(text[at]);
    const int low = HexDigitValue(text[at + 1]);
    return (high < 0 || low < 0) ? -1 : high * 16 + low;
}

const char kHexDigits[] = "0123456789abcdef";

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int value = HexPair(text, i + 1);
        if (value < 0) return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

std::string HexEncode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 0x0F];
    }
    return out;
}

std::optional<std::string> HexDecode(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int value = HexPair(hex, i);
        if (value < 0) return std::nullopt;
        out += static_cast<char>(value);
    }
    return out;
}

std::string Printable(std::string_view bytes) {
    std::string out;
    for (unsigned char b : bytes) {
        if (b == '\r') {
            out += "\\r";
        } else if (b == '\n') {
            out += "\\n";
        } else if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += static_cast<char>(b);
        } else {
            out += "\\x";
            out += kHexDigits[b >> 4];
            out += kHexDigits[b & 0x0F];
        }
    }
    return out;
}

}  // namespace modemsim
