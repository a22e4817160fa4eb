#include "terminal_host.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli_texts.h"
#include "locale_codeset.h"
#include "shown_text.h"
#include "stop_signals.h"
#include "switch_texts.h"

namespace {

constexpr char kRed[] = "\033[31m";
constexpr char kBoldBlue[] = "\033[1;34m";
constexpr char kPlain[] = "\033[0m";
constexpr int kBarWidth = 31;

void Highlight(std::string* text, const char* word, const char* colour) {
    const size_t length = std::strlen(word);
    for (size_t at = text->find(word); at != std::string::npos; at = text->find(word, at)) {
        text->insert(at + length, kPlain);
        text->insert(at, colour);
        at += std::strlen(colour) + length + std::strlen(kPlain);
    }
}

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

// The command a log text sends ("AT+ZCDRUN=8\r\n"), without its line end;
// empty for any other text.
std::string CommandIn(const char* text) {
    std::string command = text;
    command.erase(command.find_last_not_of("\r\n") + 1);
    const bool oneLine = command.find_first_of("\r\n") == std::string::npos;
    return oneLine && command.rfind("AT", 0) == 0 ? command : std::string();
}

}  // namespace

std::string TerminalText(const char* text, bool colour, Language language) {
    std::string out = Shown(text, {ShownLayout::Log, OutputIsAscii()});
    if (colour) {
        Highlight(&out, kErrorWord.In(language), kRed);
        Highlight(&out, kWarningWord.In(language), kBoldBlue);
    }
    return out;
}

bool ColourWanted(bool terminal, const char* noColor, const char* term) {
    return terminal && !IsSet(noColor) && IsSet(term) && std::strcmp(term, "dumb") != 0;
}

void ReportStandardOutputError(int error) {
    static bool reported = false;
    if (reported) return;
    reported = true;
    std::fprintf(stderr, "modemswitch: %s: %s\n", Tr(kTextStandardOutput), std::strerror(error));
}

void TerminalHost::SwitchingTo(ModemMode mode) {
    doneText_ = mode == ModemMode::ModemOnly ? &kTextDoneModemOnly : &kTextDoneExtraFunctions;
}

// What the log shows on Linux: an answer's echo of the command just logged
// is dropped, as the command has its line already, and the closing text of
// a switch tells how to put the stick back with this program.
std::string TerminalHost::LinuxLogText(const char* text) const {
    if (doneText_ != nullptr && std::strcmp(text, kTextDone.In(language_)) == 0) {
        return doneText_->In(language_);
    }
    std::string logged = text;
    if (command_.empty() || logged.compare(0, command_.size(), command_) != 0) return logged;
    size_t end = command_.size();
    while (end < logged.size() && logged[end] == '\r') ++end;
    if (end < logged.size() && logged[end] == '\n') ++end;
    // "AT+ZCDRUN=8" is no echo of "AT+ZCDRUN=8" when more of its line follows.
    if (end > command_.size() || end == logged.size()) logged.erase(0, end);
    return logged;
}

void TerminalHost::AppendLog(const char* text) {
    // Once a second signal or the end of the grace has cut the command list
    // short, the rest of the run's log would show commands never sent.
    if (stops_.HeldCutIo()) return;
    TellFinishing();
    const std::string logged = LinuxLogText(text);
    // The text after a command is its answer, never a command itself.
    command_ = command_.empty() ? CommandIn(text) : std::string();
    if (out_.log == nullptr) return;
    std::string shown = TerminalText(logged.c_str(), out_.colour, language_);
    if (shown.empty()) return;
    // An answer cut without its line end leaves the next command a line of its own.
    if (lineOpen_ && shown.front() != '\n') shown.insert(0, "\n");
    lineOpen_ = shown.back() != '\n';
    EraseBar();
    WriteLog(shown);
    DrawBar();
}

void TerminalHost::TellFinishing() {
    if (finishingTold_ || !stops_.FirstHeld() || stops_.Count() != 1 || stops_.HeldCutIo()) {
        return;
    }
    finishingTold_ = true;
    Notice(Tr(kTextFinishingSwitch));
}

bool TerminalHost::StopRequested(RunStage next) {
    // Held before the look, so a signal cannot slip between the two.
    if (next == RunStage::Changing) {
        stops_.HoldFirst(true);
        stops_.SetListener([this] { TellFinishing(); });
    }
    return stops_.Signal() != 0;
}

// The switch goes on whatever happens to its log: a failed write is told
// once, and the log, which would fail the same way again, ends there.
void TerminalHost::WriteLog(const std::string& text) {
    if (std::fputs(text.c_str(), out_.log) >= 0 && std::fflush(out_.log) == 0) return;
    ReportStandardOutputError(errno);
    out_.log = nullptr;
}

void TerminalHost::Notice(const char* text) {
    EraseBar();
    std::fputs(text, stderr);
    std::fflush(stderr);
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
    stops_.SetListener({});
    EraseBar();
    out_.progress = nullptr;
}

const Vendor* TerminalHost::VendorOfDevice(const char* name) {
    return report_ != nullptr ? report_->DeviceVendor(name) : nullptr;
}

void TerminalHost::PortProbed(const PortProbe& probe) {
    if (report_ == nullptr) return;
    if (probe.result == ProbeResult::Modem) {
        if (out_.log != nullptr) AppendLog(report_->ModemPort(probe.name).c_str());
        return;
    }
    // Who holds a busy port is looked up now, while it still holds it.
    const std::string line = report_->PassedOver(probe);
    if (out_.verbose && out_.log != nullptr) {
        AppendLog(line.c_str());
    } else {
        passedOver_.push_back(line);
    }
}

// One line per port passed over, then the sticks with no port at all; the
// dialog's line about busy COM ports means nothing here.
void TerminalHost::ExplainNoModem(const comdev::PortNames&) {
    if (report_ == nullptr || out_.log == nullptr) return;
    for (const std::string& line : passedOver_) AppendLog(line.c_str());
    for (const std::string& line : report_->NoModemReasons()) AppendLog(line.c_str());
}

void TerminalHost::TellWhyNoModem(std::FILE* to) const {
    if (report_ == nullptr) return;
    std::vector<std::string> lines = passedOver_;
    for (const std::string& line : report_->NoModemReasons()) lines.push_back(line);
    for (const std::string& line : lines) {
        std::string shown = TerminalText(line.c_str(), false, language_);
        shown.erase(0, shown.find_first_not_of('\n'));
        std::fputs(shown.c_str(), to);
    }
}

void TerminalHost::DrawBar() {
    if (out_.progress == nullptr || upper_ <= lower_) return;
    const int done = std::clamp(pos_ - lower_, 0, upper_ - lower_);
    const int filled = done * kBarWidth / (upper_ - lower_);
    const std::string bar = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') +
                            "] " + std::to_string(done) + "/" + std::to_string(upper_ - lower_);
    std::fprintf(out_.progress, "\r%s", bar.c_str());
    std::fflush(out_.progress);
    barWidth_ = std::max(barWidth_, bar.size());
}

// Blanks over the bar rather than an erase sequence, which a dumb terminal
// would show as text; two more for the "^C" a terminal echoes after it.
void TerminalHost::EraseBar() {
    if (barWidth_ == 0) return;
    std::fprintf(out_.progress, "\r%s\r", std::string(barWidth_ + 2, ' ').c_str());
    std::fflush(out_.progress);
    barWidth_ = 0;
}
