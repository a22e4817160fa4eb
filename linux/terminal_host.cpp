#include "terminal_host.h"

#include <algorithm>
#include <cstring>

#include "switch_texts.h"

namespace {

constexpr char kRed[] = "\033[31m";
constexpr char kBoldBlue[] = "\033[1;34m";
constexpr char kPlain[] = "\033[0m";
constexpr char kEraseLine[] = "\r\033[K";
constexpr int kBarWidth = 31;

// Carriage returns go; other control bytes (a modem's stray escapes
// included) become dots so they cannot steer the terminal.
std::string PrintableText(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte == '\r') continue;
        const bool control = (byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7f;
        out += control ? '.' : *c;
    }
    return out;
}

void Highlight(std::string* text, const char* word, const char* colour) {
    const size_t length = std::strlen(word);
    for (size_t at = text->find(word); at != std::string::npos; at = text->find(word, at)) {
        text->insert(at + length, kPlain);
        text->insert(at, colour);
        at += std::strlen(colour) + length + std::strlen(kPlain);
    }
}

}  // namespace

std::string TerminalText(const char* text, bool colour, Language language) {
    std::string out = PrintableText(text);
    if (colour) {
        Highlight(&out, kErrorWord.In(language), kRed);
        Highlight(&out, kWarningWord.In(language), kBoldBlue);
    }
    return out;
}

void TerminalHost::AppendLog(const char* text) {
    if (out_.log == nullptr) return;
    EraseBar();
    std::fputs(TerminalText(text, out_.colour, language_).c_str(), out_.log);
    std::fflush(out_.log);
    DrawBar();
}

void TerminalHost::SetProgressRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    DrawBar();
}

void TerminalHost::SetProgressPos(int pos) {
    pos_ = pos;
    DrawBar();
}

void TerminalHost::StepProgress() {
    ++pos_;
    DrawBar();
}

void TerminalHost::FinishRun() {
    EraseBar();
    out_.progress = nullptr;
}

void TerminalHost::DrawBar() {
    if (out_.progress == nullptr || upper_ <= lower_) return;
    const int done = std::clamp(pos_ - lower_, 0, upper_ - lower_);
    const int filled = done * kBarWidth / (upper_ - lower_);
    std::fprintf(out_.progress, "\r[%s%s] %d/%d", std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, '-').c_str(), done, upper_ - lower_);
    std::fflush(out_.progress);
    barShown_ = true;
}

void TerminalHost::EraseBar() {
    if (!barShown_) return;
    std::fputs(kEraseLine, out_.progress);
    std::fflush(out_.progress);
    barShown_ = false;
}
