#include "user_steps.h"

#include <windows.h>

#include "expected_texts.h"
#include "wait_until.h"

namespace {

constexpr DWORD kBoxTimeoutMs = 5000;
constexpr DWORD kExitTimeoutMs = 10000;

std::string ButtonStates(const ProgramUnderTest& program) {
    auto state = [&](int id) { return program.IsControlEnabled(id) ? "enabled" : "disabled"; };
    return std::string("Только модем ") + state(expected::kModemOnly) + ", Доп. функции " +
           state(expected::kExtra) + ", Выход " + state(expected::kExit);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

bool ContainsInOrder(const std::string& text, const std::vector<std::string>& parts,
                     std::string* missing) {
    size_t from = 0;
    for (const std::string& part : parts) {
        const size_t at = text.find(part, from);
        if (at == std::string::npos) {
            *missing = part;
            return false;
        }
        from = at + part.size();
    }
    return true;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool StartIdle(ProgramUnderTest& program, CheckReport& report) {
    std::string error;
    if (!report.Expect(program.Start(&error), "program starts and shows its dialog", error))
        return false;
    report.Expect(program.ControlText(expected::kModemOnly) == expected::kModemOnlyLabel &&
                      program.ControlText(expected::kExtra) == expected::kExtraLabel &&
                      program.ControlText(expected::kExit) == expected::kExitLabel,
                  "buttons are labelled Только модем / Доп. функции / Выход",
                  program.ControlText(expected::kModemOnly) + " / " +
                      program.ControlText(expected::kExtra) + " / " +
                      program.ControlText(expected::kExit));
    const std::string log = program.LogText();
    report.Expect(log == expected::kHelpText, "idle log shows the help text",
                  "log: " + Quoted(log));
    return ExpectButtons(program, report, "idle", true, true, true);
}

bool ExpectButtons(const ProgramUnderTest& program, CheckReport& report, const std::string& what,
                   bool modemOnly, bool extra, bool exit) {
    const bool ok = program.IsControlEnabled(expected::kModemOnly) == modemOnly &&
                    program.IsControlEnabled(expected::kExtra) == extra &&
                    program.IsControlEnabled(expected::kExit) == exit;
    std::string want = modemOnly && extra && exit      ? "all three buttons enabled"
                       : !modemOnly && !extra && !exit ? "all three buttons disabled"
                       : !modemOnly && !extra && exit  ? "only Выход enabled"
                                                       : "buttons as expected";
    return report.Expect(ok, what + ": " + want, ButtonStates(program));
}

bool AnswerConfirmation(ProgramUnderTest& program, CheckReport& report, int buttonId,
                        const char* confirmationText, int answer) {
    program.Click(buttonId);
    MessageBoxView box;
    if (!report.Expect(program.WaitForMessageBox(kBoxTimeoutMs, &box),
                       "a confirmation box appears, owned by the dialog"))
        return false;
    report.Expect(
        box.caption == expected::kConfirmCaption && box.text == confirmationText,
        std::string("confirmation reads ") + Quoted(confirmationText) + " under Продолжить?",
        "caption " + Quoted(box.caption) + ", text " + Quoted(box.text));
    report.Expect(box.HasOnlyButtons({IDYES, IDNO}), "confirmation offers exactly Да and Нет");
    program.Answer(box, answer);
    // The box is destroyed only after its modal loop has ended, so from then
    // on the button's handler runs in the dialog's own loop again.
    return report.Expect(WaitUntil(kBoxTimeoutMs, [&] { return !IsWindow(box.window); }),
                         "confirmation closes when answered");
}

bool WaitForRunEnd(ProgramUnderTest& program, CheckReport& report) {
    // Right after a confirmation Выход may still be enabled, as the button's
    // handler has yet to disable it. The run's first report clears the log,
    // which it can do only after that handler; from then on only the run's
    // end enables Выход. So the log is read first, then the button.
    const bool ended = WaitUntil(kRunTimeoutMs, [&] {
        return !program.IsRunning() || (program.LogText() != expected::kHelpText &&
                                        program.IsControlEnabled(expected::kExit));
    });
    return report.Expect(ended && program.IsRunning(),
                         "the run finishes and Выход is enabled again",
                         program.IsRunning() ? "log: " + Quoted(program.LogText())
                                             : "the program ended during the run");
}

void ExpectProgress(const ProgramUnderTest& program, CheckReport& report, int pos, int high) {
    const int seenPos = program.ProgressPos();
    const int seenLow = program.ProgressLow();
    const int seenHigh = program.ProgressHigh();
    report.Expect(seenPos == pos && seenLow == 0 && seenHigh == high,
                  "progress at " + std::to_string(pos) + " of 0.." + std::to_string(high),
                  "seen " + std::to_string(seenPos) + " of " + std::to_string(seenLow) + ".." +
                      std::to_string(seenHigh));
}

void LeaveThroughExit(ProgramUnderTest& program, CheckReport& report) {
    program.Click(expected::kExit);
    ExpectEnded(program, report, "clicking Выход");
}

void ExpectEnded(ProgramUnderTest& program, CheckReport& report, const std::string& what) {
    DWORD exitCode = STILL_ACTIVE;
    const bool ended = program.WaitForExit(kExitTimeoutMs, &exitCode);
    report.Expect(ended && exitCode == 0, what + " ends the program with exit code 0",
                  ended ? "exit code " + std::to_string(exitCode) : "still running");
}
