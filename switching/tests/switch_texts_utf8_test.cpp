// The native build keeps the run's texts as UTF-8 (no execution character
// set), so a terminal shows them as they are.
#include <gtest/gtest.h>

#include <string>

#include "switch_texts.h"

namespace {

TEST(SwitchTexts, AreStoredAsUtf8Bytes) {
    // "Найден" as UTF-8: two bytes a letter.
    const unsigned char found[] = {0xD0, 0x9D, 0xD0, 0xB0, 0xD0, 0xB9,
                                   0xD0, 0xB4, 0xD0, 0xB5, 0xD0, 0xBD};
    EXPECT_EQ(std::string(kTextFoundZte.russian).substr(2, sizeof found),
              std::string(reinterpret_cast<const char*>(found), sizeof found));
}

}  // namespace
