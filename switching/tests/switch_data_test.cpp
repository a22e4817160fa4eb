// The vendor table: the command lists' byte layout and order, which answers
// confirm a command, and what the mode queries' answers are read as.
#include <gtest/gtest.h>

#include <string>

#include "vendors.h"

namespace {

// A list's whole block: each command with its zero, then the closing empty
// string. The literal's own zero ends the last command; one more closes it.
template <std::size_t N>
std::string Block(const char (&commands)[N]) {
    return std::string(commands, N) + '\0';
}

std::string BlockAt(const char* list, std::size_t size) { return std::string(list, size); }

// Kept: C15 (docs/compatibility.md)
TEST(VendorTable, HoldsHuaweiListsThenZteListsByteForByte) {
    const std::string expected[2 * kVendorCount] = {
        Block("AT^U2DIAG=0\r\n"),
        Block("AT^U2DIAG=257\r\n"),
        Block("AT+ZCDRUN=8\r\n\0AT+ZCDRUN=E\r\n"),
        Block("AT+ZCDRUN=9\r\n\0AT+ZCDRUN=F\r\n"),
        // Queries only: this row makes its command of their answers.
        Block("AT^SETPORT?\r\n"),
        Block("AT^SETPORT?\r\n\0AT^SETPORT=?\r\n"),
    };
    for (int row = 0; row < kVendorCount; ++row) {
        SCOPED_TRACE(row);
        const std::string& modemOnly = expected[2 * row];
        const std::string& extra = expected[2 * row + 1];
        EXPECT_EQ(BlockAt(kVendors[row].modemOnlyCommands, modemOnly.size()), modemOnly);
        EXPECT_EQ(BlockAt(kVendors[row].extraFunctionsCommands, extra.size()), extra);
    }
    EXPECT_EQ(&VendorOf(ModemVendor::Huawei), &kVendors[0]);
    EXPECT_EQ(&VendorOf(ModemVendor::Zte), &kVendors[1]);
    EXPECT_EQ(&VendorOf(ModemVendor::HuaweiSetport), &kVendors[2]);
    // Only a refused Huawei list goes on, and only to the AT^SETPORT row.
    EXPECT_EQ(kVendors[0].onRefusal, &kVendors[2]);
    EXPECT_EQ(kVendors[1].onRefusal, nullptr);
    EXPECT_EQ(kVendors[2].onRefusal, nullptr);
    EXPECT_EQ(kVendors[2].mark, nullptr) << "no identification names it";
}

// Kept: C15 (docs/compatibility.md)
TEST(VendorTable, ModeZeroSelectsModemOnlyAnyOtherExtraFunctions) {
    for (const Vendor& vendor : kVendors) {
        SCOPED_TRACE(vendor.name);
        EXPECT_EQ(CommandsFor(vendor, ModemMode::ModemOnly), vendor.modemOnlyCommands);
        EXPECT_EQ(CommandsFor(vendor, ModemMode::ExtraFunctions), vendor.extraFunctionsCommands);
        EXPECT_EQ(CommandsFor(vendor, static_cast<ModemMode>(7)), vendor.extraFunctionsCommands);
        EXPECT_EQ(CommandsFor(vendor, static_cast<ModemMode>(-1)), vendor.extraFunctionsCommands);
    }
}

struct ModeAnswerCase {
    ModemVendor vendor;
    const char* answer;
    bool reported;
    ReportedMode mode;
    const char* raw;
};

TEST(VendorTable, ModeQueryAnswersAreReadAsTheProgramsModes) {
    constexpr ReportedMode kOnly = ReportedMode::ModemOnly;
    constexpr ReportedMode kExtra = ReportedMode::ExtraFunctions;
    constexpr ReportedMode kUnknown = ReportedMode::Unknown;
    const ModeAnswerCase cases[] = {
        {ModemVendor::Huawei, "AT^U2DIAG?\r\r\n^U2DIAG: 0\r\n\r\nOK\r\n", true, kOnly,
         "^U2DIAG: 0"},
        {ModemVendor::Huawei, "\r\n^U2DIAG: 257\r\n\r\nOK\r\n", true, kExtra, "^U2DIAG: 257"},
        {ModemVendor::Huawei, "\r\n^U2DIAG:118\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 118"},
        // HiLink firmware's padded forms read as the number they stand for.
        {ModemVendor::Huawei, "\r\n^U2DIAG:118 \r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 118"},
        {ModemVendor::Huawei, "\r\n^U2DIAG: 0119\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 119"},
        {ModemVendor::Huawei, "\r\n^U2DIAG: 000\t\r\n\r\nOK\r\n", true, kOnly, "^U2DIAG: 0"},
        {ModemVendor::Huawei, "\r\n^U2DIAG: 256\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 256"},
        {ModemVendor::Huawei, "\r\n^U2DIAG: 2570\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 2570"},
        {ModemVendor::Huawei, "\r\n^U2DIAG: 0x\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 0x"},
        {ModemVendor::Huawei, "\r\n^U2DIAG: \r\n\r\nOK\r\n", false, kUnknown, ""},
        {ModemVendor::Huawei, "AT^U2DIAG?\r\r\nOK\r\n", false, kUnknown, ""},
        {ModemVendor::Zte, "\r\nInquiry autorun open state result(0:NO 1:YES):1\r\n\r\nOK\r\n",
         true, kExtra, "autorun 1"},
        {ModemVendor::Zte, "\r\nInquiry autorun open state result(0:NO 1:YES):0\r\n\r\nOK\r\n",
         true, kOnly, "autorun 0"},
        {ModemVendor::Zte, "\r\nInquiry autorun open state result(0:NO 1:YES): 01 \r\n\r\nOK\r\n",
         true, kExtra, "autorun 1"},
        {ModemVendor::Zte, "\r\nInquiry autorun open state result(0:NO 1:YES):7\r\n\r\nOK\r\n",
         true, kUnknown, "autorun 7"},
        {ModemVendor::Zte, "\r\nInquiry autorun open state result(0:NO 1:YES):\r\n\r\nOK\r\n",
         false, kUnknown, ""},
        // A refusal's marker is not the query's.
        {ModemVendor::Zte, "\r\nresult(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n", false, kUnknown, ""},
    };
    for (const ModeAnswerCase& c : cases) {
        SCOPED_TRACE(c.answer);
        ModeReport report{ReportedMode::Unknown, "", -1};
        EXPECT_EQ(VendorOf(c.vendor).parseModeAnswer(c.answer, &report), c.reported);
        if (!c.reported) continue;
        EXPECT_EQ(report.mode, c.mode);
        EXPECT_STREQ(report.raw, c.raw);
    }
}

TEST(VendorTable, AModeValueLongerThanTheReportIsCut) {
    const std::string answer = "\r\n^U2DIAG: " + std::string(100, '9') + "\r\n\r\nOK\r\n";
    ModeReport report{};
    ASSERT_TRUE(VendorOf(ModemVendor::Huawei).parseModeAnswer(answer.c_str(), &report));
    EXPECT_EQ(std::string(report.raw), "^U2DIAG: " + std::string(kRawModeSize - 10, '9'));
    EXPECT_EQ(report.mode, ReportedMode::Unknown);
}

}  // namespace
