#include "terminal_host.h"

#include <algorithm>
#include <cstring>

#include "port_paths.h"
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

void TerminalHost::PortProbed(const PortProbe& probe) {
    if (report_ == nullptr || out_.log == nullptr) return;
    const std::vector<std::string>& paths = comdev::PortPaths();
    if (probe.number < 1 || static_cast<size_t>(probe.number) > paths.size()) return;
    const std::string& path = paths[static_cast<size_t>(probe.number) - 1];
    if (probe.result == ProbeResult::Modem) {
        AppendLog(report_->ModemPort(path).c_str());
        return;
    }
    // Who holds a busy port is looked up now, while it still holds it.
    const std::string line = report_->PassedOver(probe, path, comdev::LastOpenFailure());
    if (out_.verbose) {
        AppendLog(line.c_str());
    } else {
        passedOver_.push_back(line);
    }
}

// One line per port passed over, then the sticks with no port at all; the
// dialog's line about busy COM ports means nothing here.
void TerminalHost::ExplainNoModem(const comdev::PortNumbers&) {
    if (report_ == nullptr || out_.log == nullptr) return;
    for (const std::string& line : passedOver_) AppendLog(line.c_str());
    for (const std::string& line : report_->SticksWithoutPort()) AppendLog(line.c_str());
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
