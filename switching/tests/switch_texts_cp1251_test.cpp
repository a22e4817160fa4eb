// The Windows build stores the run's texts as Windows-1251 bytes.
#include <gtest/gtest.h>

#include <string>

#include "switch_texts.h"
#include "vendors.h"

namespace {

// Kept: C5 (docs/compatibility.md)
TEST(SwitchTexts, AreStoredAsWindows1251Bytes) {
    const unsigned char foundZte[] = {0x0D, 0x0A, 0xCD, 0xE0, 0xE9, 0xE4, 0xE5, 0xED,
                                      0x20, 0xEC, 0xEE, 0xE4, 0xE5, 0xEC, 0x20, 0x5A,
                                      0x54, 0x45, 0x2E, 0x0D, 0x0A};  // Найден модем ZTE.
    EXPECT_EQ(std::string(VendorOf(ModemVendor::Zte).found.russian),
              std::string(reinterpret_cast<const char*>(foundZte), sizeof foundZte));

    // The log's highlighting looks for these two words byte for byte.
    const unsigned char error[] = {0xCE, 0xD8, 0xC8, 0xC1, 0xCA, 0xC0, 0x3A};  // ОШИБКА:
    const unsigned char warning[] = {0xC2, 0xED, 0xE8, 0xEC, 0xE0,
                                     0xED, 0xE8, 0xE5, 0x21};  // Внимание!
    EXPECT_EQ(std::string(kTextNoModem.russian).substr(2, sizeof error),
              std::string(reinterpret_cast<const char*>(error), sizeof error));
    EXPECT_NE(std::string(kTextDone.russian).find(
                  std::string(reinterpret_cast<const char*>(warning), sizeof warning)),
              std::string::npos);
}

}  // namespace
