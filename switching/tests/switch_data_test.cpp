// The vendor table: the command lists' byte layout and order, which answers
// confirm a command, and what the mode queries' answers are read as.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
TEST(VendorTable, HoldsTheFourListsByteForByteAndEachVendorsGenerations) {
    const struct {
        const Generation* generation;
        std::string modemOnly;
        std::string extra;
    } rows[] = {
        {&kHuaweiU2diag, Block("AT^U2DIAG=0\r\n"), Block("AT^U2DIAG=257\r\n")},
        {&kZteZcdrun, Block("AT+ZCDRUN=8\r\n\0AT+ZCDRUN=E\r\n"),
         Block("AT+ZCDRUN=9\r\n\0AT+ZCDRUN=F\r\n")},
        // The queries besides the mode query this generation makes its command of.
        {&kHuaweiSetport, Block(""), Block("AT^SETPORT=?\r\n")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.generation->name);
        EXPECT_EQ(BlockAt(row.generation->modemOnlyCommands, row.modemOnly.size()), row.modemOnly);
        EXPECT_EQ(BlockAt(row.generation->extraFunctionsCommands, row.extra.size()), row.extra);
        // Mode 0 is modem only; any other value extra functions.
        for (int mode : {0, 1, 7, -1}) {
            EXPECT_EQ(CommandsFor(*row.generation, static_cast<ModemMode>(mode)),
                      mode == 0 ? row.generation->modemOnlyCommands
                                : row.generation->extraFunctionsCommands);
        }
    }
    // AT^U2DIAG first: a Huawei stick not yet known is tried with it.
    const std::vector<const Generation*> huawei(kHuaweiVendor.generations.begin(),
                                                kHuaweiVendor.generations.end());
    EXPECT_EQ(huawei, (std::vector<const Generation*>{&kHuaweiU2diag, &kHuaweiSetport}));
    EXPECT_EQ(kZteVendor.generations.count, 1);
    EXPECT_EQ(&VendorOf(ModemVendor::Huawei), &kHuaweiVendor);
    EXPECT_EQ(&VendorOf(ModemVendor::Zte), &kZteVendor);
}

struct ModeAnswerCase {
    const Generation* generation;
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
        {&kHuaweiU2diag, "AT^U2DIAG?\r\r\n^U2DIAG: 0\r\n\r\nOK\r\n", true, kOnly,
         "^U2DIAG: 0"},
        {&kHuaweiU2diag, "\r\n^U2DIAG: 257\r\n\r\nOK\r\n", true, kExtra, "^U2DIAG: 257"},
        {&kHuaweiU2diag, "\r\n^U2DIAG:118\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 118"},
        // HiLink firmware's padded forms read as the number they stand for.
        {&kHuaweiU2diag, "\r\n^U2DIAG:118 \r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 118"},
        {&kHuaweiU2diag, "\r\n^U2DIAG: 0119\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 119"},
        {&kHuaweiU2diag, "\r\n^U2DIAG: 000\t\r\n\r\nOK\r\n", true, kOnly, "^U2DIAG: 0"},
        {&kHuaweiU2diag, "\r\n^U2DIAG: 256\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 256"},
        {&kHuaweiU2diag, "\r\n^U2DIAG: 2570\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 2570"},
        {&kHuaweiU2diag, "\r\n^U2DIAG: 0x\r\n\r\nOK\r\n", true, kUnknown, "^U2DIAG: 0x"},
        {&kHuaweiU2diag, "\r\n^U2DIAG: \r\n\r\nOK\r\n", false, kUnknown, ""},
        {&kHuaweiU2diag, "AT^U2DIAG?\r\r\nOK\r\n", false, kUnknown, ""},
        {&kZteZcdrun, "\r\nInquiry autorun open state result(0:NO 1:YES):1\r\n\r\nOK\r\n",
         true, kExtra, "autorun 1"},
        {&kZteZcdrun, "\r\nInquiry autorun open state result(0:NO 1:YES):0\r\n\r\nOK\r\n",
         true, kOnly, "autorun 0"},
        {&kZteZcdrun, "\r\nInquiry autorun open state result(0:NO 1:YES): 01 \r\n\r\nOK\r\n",
         true, kExtra, "autorun 1"},
        {&kZteZcdrun, "\r\nInquiry autorun open state result(0:NO 1:YES):7\r\n\r\nOK\r\n",
         true, kUnknown, "autorun 7"},
        {&kZteZcdrun, "\r\nInquiry autorun open state result(0:NO 1:YES):\r\n\r\nOK\r\n",
         false, kUnknown, ""},
        // A refusal's marker is not the query's.
        {&kZteZcdrun, "\r\nresult(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n", false, kUnknown, ""},
    };
    for (const ModeAnswerCase& c : cases) {
        SCOPED_TRACE(c.answer);
        ModeReport report{ReportedMode::Unknown, "", -1};
        EXPECT_EQ(c.generation->parseModeAnswer(c.answer, &report), c.reported);
        if (!c.reported) continue;
        EXPECT_EQ(report.mode, c.mode);
        EXPECT_STREQ(report.raw, c.raw);
    }
}

TEST(VendorTable, AModeValueLongerThanTheReportIsCut) {
    const std::string answer = "\r\n^U2DIAG: " + std::string(100, '9') + "\r\n\r\nOK\r\n";
    ModeReport report{};
    ASSERT_TRUE(kHuaweiU2diag.parseModeAnswer(answer.c_str(), &report));
    EXPECT_EQ(std::string(report.raw), "^U2DIAG: " + std::string(kRawModeSize - 10, '9'));
    EXPECT_EQ(report.mode, ReportedMode::Unknown);
}

}  // namespace
