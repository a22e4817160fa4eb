// The command lists' byte layout and table order, and the texts' code page.
#include <gtest/gtest.h>

#include <string>

#include "command_lists.h"
#include "switch_texts.h"

namespace {

// A list's whole block: each command with its zero, then the closing empty
// string. The literal's own zero ends the last command; one more closes it.
template <std::size_t N>
std::string Block(const char (&commands)[N]) {
    return std::string(commands, N) + '\0';
}

std::string BlockAt(const char* list, std::size_t size) { return std::string(list, size); }

TEST(CommandLists, TableHoldsHuaweiPairThenZtePairByteForByte) {
    const std::string expected[kCommandListCount] = {
        Block("AT^U2DIAG=0\r\n"),
        Block("AT^U2DIAG=257\r\n"),
        Block("AT+ZCDRUN=8\r\n\0AT+ZCDRUN=E\r\n"),
        Block("AT+ZCDRUN=9\r\n\0AT+ZCDRUN=F\r\n"),
    };
    for (int i = 0; i < kCommandListCount; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(kCommandLists[i], nullptr);
        EXPECT_EQ(BlockAt(kCommandLists[i], expected[i].size()), expected[i]);
    }
}

TEST(CommandLists, ModeZeroSelectsModemOnlyAnyOtherExtraFunctions) {
    EXPECT_EQ(CommandListFor(ModemVendor::Huawei, 0), kCommandLists[0]);
    EXPECT_EQ(CommandListFor(ModemVendor::Huawei, 1), kCommandLists[1]);
    EXPECT_EQ(CommandListFor(ModemVendor::Huawei, 7), kCommandLists[1]);
    EXPECT_EQ(CommandListFor(ModemVendor::Zte, 0), kCommandLists[2]);
    EXPECT_EQ(CommandListFor(ModemVendor::Zte, 1), kCommandLists[3]);
    EXPECT_EQ(CommandListFor(ModemVendor::Zte, -1), kCommandLists[3]);
}

TEST(SwitchTexts, AreStoredAsWindows1251Bytes) {
    const unsigned char foundZte[] = {0x0D, 0x0A, 0xCD, 0xE0, 0xE9, 0xE4, 0xE5, 0xED,
                                      0x20, 0xEC, 0xEE, 0xE4, 0xE5, 0xEC, 0x20, 0x5A,
                                      0x54, 0x45, 0x2E, 0x0D, 0x0A};  // Найден модем ZTE.
    EXPECT_EQ(std::string(kTextFoundZte),
              std::string(reinterpret_cast<const char*>(foundZte), sizeof foundZte));

    // The log's highlighting looks for these two words byte for byte.
    const unsigned char error[] = {0xCE, 0xD8, 0xC8, 0xC1, 0xCA, 0xC0, 0x3A};  // ОШИБКА:
    const unsigned char warning[] = {0xC2, 0xED, 0xE8, 0xEC, 0xE0,
                                     0xED, 0xE8, 0xE5, 0x21};  // Внимание!
    EXPECT_EQ(std::string(kTextNoModem).substr(2, sizeof error),
              std::string(reinterpret_cast<const char*>(error), sizeof error));
    EXPECT_NE(std::string(kTextDone).find(
                  std::string(reinterpret_cast<const char*>(warning), sizeof warning)),
              std::string::npos);
}

}  // namespace
