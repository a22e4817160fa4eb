// The command lists' byte layout and table order, and the texts' code page.
#include <gtest/gtest.h>

#include <string>

#include "command_lists.h"

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
    EXPECT_EQ(CommandListFor(ModemVendor::Huawei, ModemMode::ModemOnly), kCommandLists[0]);
    EXPECT_EQ(CommandListFor(ModemVendor::Huawei, ModemMode::ExtraFunctions), kCommandLists[1]);
    EXPECT_EQ(CommandListFor(ModemVendor::Huawei, static_cast<ModemMode>(7)), kCommandLists[1]);
    EXPECT_EQ(CommandListFor(ModemVendor::Zte, ModemMode::ModemOnly), kCommandLists[2]);
    EXPECT_EQ(CommandListFor(ModemVendor::Zte, ModemMode::ExtraFunctions), kCommandLists[3]);
    EXPECT_EQ(CommandListFor(ModemVendor::Zte, static_cast<ModemMode>(-1)), kCommandLists[3]);
}

}  // namespace
