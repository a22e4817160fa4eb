#include "cp1251_utf8.h"

#include <cstdint>

namespace {

// Code points of 0x80..0xBF; 0xC0..0xFF are А..я in order (U+0410..U+044F).
constexpr char16_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};
constexpr uint8_t kFirstCyrillicLetter = 0xC0;
constexpr char16_t kCyrillicCapitalA = 0x0410;

char16_t CodePoint(uint8_t byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte < kFirstCyrillicLetter) {
        return kUpperHalf[byte - 0x80];
    }
    return static_cast<char16_t>(kCyrillicCapitalA + (byte - kFirstCyrillicLetter));
}

// All code points here lie in the Basic Multilingual Plane: 1 to 3 bytes.
void AppendUtf8(char16_t cp, std::string* out) {
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::string Cp1251ToUtf8(const char* text) {
    std::string out;
    for (const char* p = text; *p != '\0'; ++p) {
        AppendUtf8(CodePoint(static_cast<uint8_t>(*p)), &out);
    }
    return out;
}
