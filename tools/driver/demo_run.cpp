#include "demo_run.h"

#include <cstdio>
#include <memory>

#include "check_report.h"
#include "expected_texts.h"
#include "host_paths.h"
#include "program_under_test.h"
#include "screenshot.h"
#include "text_codec.h"
#include "user_steps.h"

namespace {

bool WriteTextFile(const std::string& path, const std::string& text) {
    std::unique_ptr<FILE, decltype(&std::fclose)> out(_wfopen(WindowsPath(path).c_str(), L"wb"),
                                                      &std::fclose);
    return out && std::fwrite(text.data(), 1, text.size(), out.get()) == text.size();
}

}  // namespace

int RunDemo(const DemoSettings& settings) {
    CheckReport report;
    report.BeginScenario("one switch to Только модем");
    ProgramUnderTest program(settings.exePath);
    if (!StartIdle(program, report) ||
        !AnswerConfirmation(program, report, expected::kModemOnly, expected::kConfirmModemOnly,
                            IDYES) ||
        !WaitForRunEnd(program, report))
        return report.Finish();

    std::string error;
    if (!settings.screenshotPath.empty())
        report.Expect(SaveWindowPicture(program.Dialog(), settings.screenshotPath, &error),
                      "picture saved to " + settings.screenshotPath, error);
    const std::string log = Cp1251ToUtf8(UnixLineBreaks(program.LogText()));
    if (!settings.logPath.empty())
        report.Expect(WriteTextFile(settings.logPath, log + "\n"),
                      "log saved to " + settings.logPath);
    std::printf("\n--- log of the run ---\n%s\n----------------------\n", log.c_str());
    LeaveThroughExit(program, report);
    return report.Finish();
}
