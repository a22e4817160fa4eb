// What the AT^SETPORT row makes of a stick's answers: the command for each
// mode, or why it sends none; and how its mode query's answer is read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "setport.h"
#include "switch_texts.h"

namespace {

constexpr ModemMode kOnly = ModemMode::ModemOnly;
constexpr ModemMode kExtra = ModemMode::ExtraFunctions;
const char kAlready[] = "already";

struct ComposeCase {
    const char* answer;   // to AT^SETPORT?
    const char* listing;  // to AT^SETPORT=?; null when not asked
    ModemMode mode;
    const char* sent;     // the command, kAlready, or null when refused
    const Text* refusal;  // when refused
};

std::string Answer(const char* value) { return std::string("\r\n") + value + "\r\n\r\nOK\r\n"; }

const char kListingWithSd[] =
    "\r\n^SETPORT:A1: CDROM\r\n^SETPORT:A2: SD\r\n^SETPORT:12: PCUI\r\n\r\nOK\r\n";
const char kListingWithoutSd[] = "\r\n^SETPORT:A1: CDROM\r\n^SETPORT:2: PCUI\r\n\r\nOK\r\n";

TEST(Setport, EachModeMovesOnlyTheCdDriveAndTheSdCard) {
    const Text* const kUnreadable = &kTextSetportUnreadable;
    const Text* const kNoPcUi = &kTextSetportNoPcUi;
    const Text* const kEmpty = &kTextSetportEmpty;
    const ComposeCase cases[] = {
        // Factory values of the E3372s, E3131s-2, E3131; the order of the rest is kept.
        {"^SETPORT:A1,A2;12,10,16,A1,A2", nullptr, kOnly, "FF;12,10,16", nullptr},
        {"^SETPORT:A1,A2;1,3,2,A1,A2", nullptr, kOnly, "FF;1,3,2", nullptr},
        {"^SETPORT:A1,A2;1,16,3,2,A1,A2", nullptr, kOnly, "FF;1,16,3,2", nullptr},
        // The E3372h-153's, modem code 1; and with blanks after the separators.
        {"^SETPORT:A1,A2;12,1,16,A1,A2", nullptr, kOnly, "FF;12,1,16", nullptr},
        {"^SETPORT:A1,A2; 12,1,16, A1, A2", nullptr, kOnly, "FF;12,1,16", nullptr},
        {"^SETPORT:FF; 12, 1, 16", kListingWithSd, kExtra, "A1,A2;12,1,16,A1,A2", nullptr},
        {"^SETPORT:FF;12,10,16", kListingWithSd, kExtra, "A1,A2;12,10,16,A1,A2", nullptr},
        {"^SETPORT: ;1,2,3,A2", "\r\nERROR\r\n", kExtra, "A1,A2;1,2,3,A1,A2", nullptr},
        // No A2 anywhere: the CD drive alone, in both places.
        {"^SETPORT:FF;1,3,2", kListingWithoutSd, kExtra, "A1;1,3,2,A1", nullptr},
        {"^SETPORT:FF;1,3,2", "\r\nERROR\r\n", kExtra, "A1;1,3,2,A1", nullptr},
        {"^SETPORT: a1,a2;12,10,16,a1,a2", nullptr, kOnly, "FF;12,10,16", nullptr},
        {"^SETPORT:;1,2,3,A2", nullptr, kOnly, "FF;1,2,3", nullptr},
        // The stick has the mode already: nothing to send.
        {"^SETPORT:FF;12,10,16", nullptr, kOnly, kAlready, nullptr},
        {"^SETPORT:A1,A2;1,3,2,A1,A2", kListingWithSd, kExtra, kAlready, nullptr},
        // Never a value without the PC UI port (2 or 12), nor an empty one.
        {"^SETPORT:A1,A2;1,3,A1,A2", nullptr, kOnly, nullptr, kNoPcUi},
        {"^SETPORT:A1,A2;10,16,13,A1,A2", nullptr, kOnly, nullptr, kNoPcUi},
        {"^SETPORT:FF;10,16", kListingWithSd, kExtra, nullptr, kNoPcUi},
        {"^SETPORT:A1,A2;A1,A2", nullptr, kOnly, nullptr, kEmpty},
        {"^SETPORT:A1,A2;A1,A2", kListingWithSd, kExtra, nullptr, kEmpty},
        // Answers that cannot be read.
        {"^SETPORT:", nullptr, kOnly, nullptr, kUnreadable},
        {"^SETPORT:12,10,16", nullptr, kOnly, nullptr, kUnreadable},
        {"^SETPORT:A1;12;10", nullptr, kOnly, nullptr, kUnreadable},
        {"^SETPORT:A1,A2;12,,16", nullptr, kOnly, nullptr, kUnreadable},
        {"^SETPORT:A1,A2;12,100,16", nullptr, kOnly, nullptr, kUnreadable},
        {"^SETPORT:A1,A2;12,1G,16", nullptr, kOnly, nullptr, kUnreadable},
        {"^SETPORT:A1,A2;1 2,10,16", nullptr, kOnly, nullptr, kUnreadable},
        {"^U2DIAG: 0", nullptr, kOnly, nullptr, kUnreadable},
        {"^SETPORT:FF;1,2,3,4,5,6,7,10,11,12,13,14,15,16,17", nullptr, kOnly, nullptr, kUnreadable},
    };
    for (const ComposeCase& c : cases) {
        SCOPED_TRACE(std::string(c.answer) + (c.mode == kOnly ? " modem-only" : " extra"));
        const std::string answer = Answer(c.answer);
        const char* answers[] = {answer.c_str(), c.listing};
        ComposedCommands composed;
        ComposeSetport(answers, c.listing != nullptr ? 2 : 1, c.mode, &composed);
        if (c.sent == nullptr) {
            ASSERT_EQ(composed.result, ComposedCommands::Result::Refused);
            EXPECT_EQ(composed.refusal, c.refusal);
        } else if (c.sent == kAlready) {
            EXPECT_EQ(composed.result, ComposedCommands::Result::AlreadySet);
        } else {
            ASSERT_EQ(composed.result, ComposedCommands::Result::Send);
            const std::string command = std::string("AT^SETPORT=\"") + c.sent + "\"\r\n";
            // One command, then the list's closing empty string.
            EXPECT_EQ(std::string(composed.commands, command.size() + 2), command + '\0' + '\0');
        }
    }
}

TEST(Setport, TellsTheValueBeforeAndTheCommandThatPutsItBack) {
    const struct {
        const char* answer;
        const char* before;
        const char* restore;
    } cases[] = {
        {"^SETPORT:a1,a2;12,10,16,a1,a2", "A1,A2;12,10,16,A1,A2",
         "AT^SETPORT=\"A1,A2;12,10,16,A1,A2\""},
        // The firmware takes FF where older firmware shows an empty first part.
        {"^SETPORT:;1,2,3,A2", ";1,2,3,A2", "AT^SETPORT=\"FF;1,2,3,A2\""},
        // Values are written without the blanks some firmware prints.
        {"^SETPORT:A1,A2; 12,1,16, A1, A2", "A1,A2;12,1,16,A1,A2",
         "AT^SETPORT=\"A1,A2;12,1,16,A1,A2\""},
    };
    for (const auto& c : cases) {
        const std::string answer = Answer(c.answer);
        const char* answers[] = {answer.c_str()};
        ComposedCommands composed;
        ComposeSetport(answers, 1, kOnly, &composed);
        ASSERT_EQ(composed.result, ComposedCommands::Result::Send) << c.answer;
        EXPECT_STREQ(composed.before, c.before);
        EXPECT_STREQ(composed.restore, c.restore);
    }
}

TEST(Setport, TheQueryAnswerIsReadAsAModeWhenAModeMakesThatValue) {
    const struct {
        const char* answer;
        bool reported;
        ReportedMode mode;
        const char* raw;
    } cases[] = {
        {"^SETPORT:FF;12,10,16", true, ReportedMode::ModemOnly, "^SETPORT:FF;12,10,16"},
        {"^SETPORT:A1,A2;12,10,16,A1,A2", true, ReportedMode::ExtraFunctions,
         "^SETPORT:A1,A2;12,10,16,A1,A2"},
        {"^SETPORT: A1;1,3,2,A1", true, ReportedMode::ExtraFunctions, "^SETPORT:A1;1,3,2,A1"},
        {"^SETPORT:;1,2,3,A2", true, ReportedMode::Unknown, "^SETPORT:;1,2,3,A2"},
        {"^SETPORT:FF; 12,1,16", true, ReportedMode::ModemOnly, "^SETPORT:FF; 12,1,16"},
        {"^SETPORT:A1,A2;12,10,16", true, ReportedMode::Unknown, "^SETPORT:A1,A2;12,10,16"},
        {"^SETPORT:junk", true, ReportedMode::Unknown, "^SETPORT:junk"},
        {"^SETPORT: ", false, ReportedMode::Unknown, ""},
        {"OK", false, ReportedMode::Unknown, ""},
    };
    for (const auto& c : cases) {
        const std::string answer = Answer(c.answer);
        ModeReport report{ReportedMode::Unknown, "", 0};
        ASSERT_EQ(ParseSetportMode(answer.c_str(), &report), c.reported) << c.answer;
        EXPECT_EQ(report.mode, c.mode) << c.answer;
        EXPECT_STREQ(report.raw, c.raw);
    }
}

}  // namespace
