// The info pane, the log's help text and the highlighting of AppendLog,
// read back from a real Rich Edit 1.0 control.
#include "rich_panes.h"
#include "switch_texts.h"

#include "rich_edit_fixture.h"
#include "ui_colors.h"

#include <cstring>

using namespace panes;

namespace {

// "Программа" in Windows-1251, written out byte by byte.
const unsigned char kProgrammaCp1251[] = {0xCF, 0xF0, 0xEE, 0xE3, 0xF0, 0xE0, 0xEC, 0xEC, 0xE0};

// What a run that finds no modem writes to the log.
const char* const kFailedRun[] = {
    "Поиск модема.\r\n",
    "\r\nОШИБКА: не удалось обнаружить модем.\r\n",
};

// What a successful ZTE run writes to the log (answers abridged).
const char* const kSuccessfulRun[] = {
    "Поиск модема.\r\n",
    "\r\nНайден модем ZTE.\r\n",
    "Переключение в режим \"Только модем\":\r\n\r\n",
    "AT+ZCDRUN=8\r\n",
    "AT+ZCDRUN=8\r\r\nOK\r\n",
    "\r\n\r\nРежим изменен.\r\n\r\nВнимание! Если вы планируете в дальнейшем переключать "
    "режимы модема не удаляйте ПО модема с компьютера.\r\n",
};

using InfoPaneTest = RichEditTest;
using LogTest = RichEditTest;

// Kept: C19 (docs/compatibility.md)
TEST_F(InfoPaneTest, HoldsTheIntroductionInWindows1251) {
    InitInfoPane(pane_);
    const std::string text = Text();
    EXPECT_EQ(text, kIntroText);
    ASSERT_GE(text.size(), sizeof kProgrammaCp1251);
    EXPECT_EQ(0, std::memcmp(text.data(), kProgrammaCp1251, sizeof kProgrammaCp1251));
    // "АТ-команд" uses the Cyrillic letters А (0xC0) and Т (0xD2).
    EXPECT_NE(text.find("\xC0\xD2-"), std::string::npos);
}

// Kept: C19 (docs/compatibility.md)
TEST_F(InfoPaneTest, FormatsHeadingGapAndInstructions) {
    InitInfoPane(pane_);
    const std::string text = Text();
    // The ranges fit the text: two heading lines, then the blank line pair.
    EXPECT_EQ(text.substr(41, 2), "\r\n") << "between the two heading lines";
    EXPECT_EQ(text.substr(66, 9), "АТ-команд") << "75 ends the second heading line";
    EXPECT_EQ(text.substr(75, 4), "\r\n\r\n");
    EXPECT_EQ(text.substr(79, 9), "Вставьте ");

    EXPECT_TRUE(HasFormat(FormatOf(0, 75), 230, kColorBlue, true));
    const CHARFORMATA gap = FormatOf(75, 79);
    EXPECT_TRUE(gap.dwMask & CFM_SIZE);
    EXPECT_EQ(gap.yHeight, 80);
    EXPECT_TRUE(HasFormat(FormatOf(79, -1), 175, kColorBlack, false));
}

TEST_F(InfoPaneTest, LeavesCaretAtStart) {
    InitInfoPane(pane_);
    const CHARRANGE caret = Selection();
    EXPECT_EQ(caret.cpMin, 0);
    EXPECT_EQ(caret.cpMax, 0);
}

// Kept: C19 (docs/compatibility.md)
TEST_F(LogTest, HelpTextIsBlackWithOneBlueBoldSentence) {
    InitLog(pane_);
    const CHARRANGE caret = Selection();
    EXPECT_EQ(caret.cpMin, 0);
    EXPECT_EQ(caret.cpMax, 0);
    const std::string text = Text();
    ASSERT_EQ(text, kHelpText);
    EXPECT_EQ(text.substr(126, 5), "Этот ");
    EXPECT_EQ(static_cast<unsigned char>(text[126]), 0xDD) << "Э in Windows-1251";
    EXPECT_EQ(text.substr(194, 9), "Lumarest.") << "202 is the full stop";

    EXPECT_TRUE(HasFormat(FormatOf(0, 126), 174, kColorBlack, false));
    EXPECT_TRUE(HasFormat(FormatOf(126, 202), 174, kColorBlue, true));
    EXPECT_TRUE(HasFormat(FormatOf(202, -1), 174, kColorBlack, false));
}

// Kept: C17 (docs/compatibility.md)
TEST_F(LogTest, FailedRunShowsOnlyTheErrorWordDarkRed) {
    InitLog(pane_);
    pane_.SetWindowText("");
    for (const char* text : kFailedRun) AppendLog(pane_, text);

    const LONG error = Find(kErrorWord.russian);
    ASSERT_GT(error, 0);
    EXPECT_TRUE(HasFormat(FormatOf(0, error), 174, kColorBlack, false));
    EXPECT_TRUE(HasFormat(FormatOf(error, error + 7), 174, kColorDarkRed, false));
    EXPECT_TRUE(HasFormat(FormatOf(error + 7, -1), 174, kColorBlack, false));
}

TEST_F(LogTest, SuccessfulRunShowsTheWarningWordBlueBold) {
    InitLog(pane_);
    pane_.SetWindowText("");
    for (const char* text : kSuccessfulRun) AppendLog(pane_, text);
    // The caret ends at the end, so the log shows its last line.
    EXPECT_EQ(Selection().cpMin, static_cast<LONG>(Text().size()));

    const LONG warning = Find(kWarningWord.russian);
    ASSERT_GT(warning, 0);
    EXPECT_TRUE(HasFormat(FormatOf(0, warning), 174, kColorBlack, false));
    EXPECT_TRUE(HasFormat(FormatOf(warning, warning + 9), 174, kColorBlue, true));
    // Appended after the word in the same call, the rest kept the plain format.
    EXPECT_TRUE(HasFormat(FormatOf(warning + 9, -1), 174, kColorBlack, false));
}

// Kept: C17 (docs/compatibility.md)
TEST_F(LogTest, AppendWithoutEitherWordClearsEarlierEmphasis) {
    InitLog(pane_);
    AppendLog(pane_, "\r\nПоиск модема.\r\n");
    EXPECT_TRUE(HasFormat(FormatOf(0, -1), 174, kColorBlack, false));
}

TEST_F(LogTest, ErrorWordWinsOverAnEarlierWarningWord) {
    AppendLog(pane_, "Начало.\r\nВнимание! первое.\r\n");
    AppendLog(pane_, "ОШИБКА: второе.\r\n");
    const LONG error = Find(kErrorWord.russian);
    ASSERT_GT(error, 0);
    EXPECT_TRUE(HasFormat(FormatOf(error, error + 7), 174, kColorDarkRed, false));
}

// Kept: C17 (docs/compatibility.md)
TEST_F(LogTest, OnlyTheFirstErrorWordIsHighlighted) {
    AppendLog(pane_, "Начало.\r\n");
    AppendLog(pane_, "ОШИБКА: раз.\r\n");
    AppendLog(pane_, "ОШИБКА: два.\r\n");
    const LONG first = Find(kErrorWord.russian);
    const LONG second = static_cast<LONG>(Text().find(kErrorWord.russian, first + 1));
    ASSERT_GT(second, first);
    EXPECT_TRUE(HasFormat(FormatOf(first, first + 7), 174, kColorDarkRed, false));
    EXPECT_TRUE(HasFormat(FormatOf(second, second + 7), 174, kColorBlack, false));
}

}  // namespace
