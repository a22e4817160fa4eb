// Texts and character formats of the info pane and the message log.
#include "rich_panes.h"

#include "switch_texts.h"
#include "ui_colors.h"

#include <cstring>

namespace panes {

const char kIntroText[] =
    "Программа переключения режимов 3G-модемов\r\n"
    "ZTE и Huawei с помощью АТ-команд\r\n"
    "\r\n"
    "Вставьте модем в компьютер и установите программное обеспечение модема. "
    "Если приложение USB-модема запустилось автоматически, закройте его. "
    "После этого нажмите кнопку требуемого режима.";

const char kHelpText[] =
    "В режиме \"Только модем\" все дополнительные функции (включая виртуальный диск "
    "с ПО модема, кард-ридер и т.п.) будут отключены. Этот режим рекомендуется для "
    "работы с интернет-центрами Orvik серии Lumarest.\r\n"
    "\r\n"
    "В режиме \"Доп. функции\" дополнительные функции виртуального диска с ПО модема, "
    "Кард-ридера будут включены.";

namespace {

// The narrow CHARFORMAT record, whose size Rich Edit 1.0 expects.
static_assert(sizeof(CHARFORMATA) == 60, "narrow CHARFORMAT is 60 bytes");

constexpr DWORD kAllAttributes = CFM_SIZE | CFM_COLOR | CFM_BOLD;
constexpr LONG kToEnd = -1;

// Heights in twips.
constexpr LONG kHeadingTwips = 230;
constexpr LONG kGapTwips = 80;
constexpr LONG kInstructionsTwips = 175;
constexpr LONG kLogTwips = 174;

// The two heading lines of the introduction, the blank line pair after them,
// and the sentence of the help text shown blue and bold (without its stop).
constexpr CHARRANGE kHeadingRange{0, 75};
constexpr CHARRANGE kGapRange{75, 79};
constexpr CHARRANGE kInstructionsRange{79, kToEnd};
constexpr CHARRANGE kHelpSentenceRange{126, 202};

CHARFORMATA MakeFormat(DWORD mask, DWORD effects, LONG twips, COLORREF color) {
    CHARFORMATA format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    format.dwMask = mask;
    format.dwEffects = effects;
    format.yHeight = twips;
    format.crTextColor = color;
    return format;
}

void ApplyFormat(const CRichEditCtrl& pane, CHARRANGE range, CHARFORMATA format) {
    pane.SetSel(range.cpMin, range.cpMax);
    pane.SetSelectionCharFormat(format);
}

struct Highlight {
    CHARRANGE range;
    COLORREF color;
    DWORD effects;
};

// Byte-wise, case-sensitive, first match from the start of the log.
Highlight ChooseHighlight(const char* text) {
    const char* errorWord = kErrorWord.russian;
    const char* warningWord = kWarningWord.russian;
    if (const char* error = std::strstr(text, errorWord)) {
        const LONG at = static_cast<LONG>(error - text);
        return {{at, at + static_cast<LONG>(std::strlen(errorWord))}, kColorDarkRed, 0};
    }
    if (const char* warning = std::strstr(text, warningWord)) {
        const LONG at = static_cast<LONG>(warning - text);
        return {{at, at + static_cast<LONG>(std::strlen(warningWord))}, kColorBlue, CFE_BOLD};
    }
    return {{0, kToEnd}, kColorBlack, 0};
}

// A copy of a control's whole text for one search. The log has no fixed
// bound, so the copy lives on the process heap; empty if that fails.
class TextCopy {
public:
    explicit TextCopy(const CWnd& control) {
        const int size = control.GetWindowTextLength() + 1;
        text_ = static_cast<char*>(::HeapAlloc(::GetProcessHeap(), 0, size));
        if (text_ != nullptr) control.GetWindowText(text_, size);
    }
    ~TextCopy() {
        if (text_ != nullptr) ::HeapFree(::GetProcessHeap(), 0, text_);
    }
    TextCopy(const TextCopy&) = delete;
    TextCopy& operator=(const TextCopy&) = delete;

    const char* Text() const { return text_ != nullptr ? text_ : ""; }

private:
    char* text_;
};

}  // namespace

void InitInfoPane(const CRichEditCtrl& info) {
    info.SetWindowText(kIntroText);
    ApplyFormat(info, kHeadingRange,
                MakeFormat(kAllAttributes, CFE_BOLD, kHeadingTwips, kColorBlue));
    ApplyFormat(info, kGapRange, MakeFormat(CFM_SIZE, 0, kGapTwips, 0));
    ApplyFormat(info, kInstructionsRange,
                MakeFormat(kAllAttributes, 0, kInstructionsTwips, kColorBlack));
    info.SetSel(0, 0);
}

void InitLog(const CRichEditCtrl& log) {
    AppendLog(log, kHelpText);
    ApplyFormat(log, kHelpSentenceRange, MakeFormat(CFM_COLOR | CFM_BOLD, CFE_BOLD, 0, kColorBlue));
    log.SetSel(0, 0);
}

void AppendLog(const CRichEditCtrl& log, const char* text) {
    log.SetSel(kToEnd, kToEnd);
    log.ReplaceSel(text, FALSE);
    log.SetSel(kToEnd, kToEnd);
    const Highlight highlight = ChooseHighlight(TextCopy(log).Text());
    ApplyFormat(log, highlight.range,
                MakeFormat(kAllAttributes, highlight.effects, kLogTwips, highlight.color));
    // The log scrolls itself: leaving the caret at the end shows the end.
    log.SetSel(kToEnd, kToEnd);
}

}  // namespace panes
