// Runs one modem switch from the command line against whatever COM ports
// exist, printing the message log and every progress event as they happen.
// Usage: modemswitch-console modem-only|extra
// Exit code: 0 the modem confirmed the switch, 1 no modem found, 2 the modem
// did not confirm it (or its port did not open again), 64 wrong usage.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "windows_hosts.h"
#include "switch_host.h"
#include "text_codec.h"

namespace {

// Prints what a dialog would show. Log text gets Linux line breaks, since the
// terminal is a Linux one.
class ConsoleHost final : public SwitchHost {
public:
    void ClearLog() override { PrintEvent("log cleared"); }
    void AppendLog(const char* text) override { Print(Cp1251ToUtf8(UnixLineBreaks(text))); }
    void SetProgressRange(int lower, int upper) override {
        upper_ = upper;
        PrintEvent("progress range " + std::to_string(lower) + ".." + std::to_string(upper));
    }
    void SetProgressPos(int pos) override {
        pos_ = pos;
        PrintProgress();
    }
    void StepProgress() override {
        ++pos_;
        PrintProgress();
    }
    void FinishRun() override { PrintEvent("finished"); }
    void ExplainNoModem(const comdev::PortNames& busyPorts) override {
        SayBusyPorts(*this, busyPorts);
    }

private:
    void PrintProgress() {
        PrintEvent("progress " + std::to_string(pos_) + "/" + std::to_string(upper_));
    }
    // Events go on lines of their own, even in the middle of a log line.
    void PrintEvent(const std::string& event) {
        if (!atLineStart_) {
            Print("\n");
        }
        Print("[" + event + "]\n");
    }
    void Print(const std::string& bytes) {
        if (bytes.empty()) {
            return;
        }
        // Straight to the handle: the C runtime would recode console output.
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
                  &written, nullptr);
        atLineStart_ = bytes.back() == '\n';
    }

    int pos_ = 0;
    int upper_ = 0;
    bool atLineStart_ = true;
};

}  // namespace

int main(int argc, char** argv) {
    ModemMode mode = ModemMode::ModemOnly;
    if (argc != 2 || !ParseModeWord(argv[1], &mode)) {
        std::fprintf(stderr, "usage: modemswitch-console modem-only|extra\n");
        return kExitUsage;
    }
    // The output is UTF-8; a console must not take it for its OEM code page.
    SetConsoleOutputCP(CP_UTF8);

    // No window to keep responsive: the run goes on this thread.
    ConsoleHost host;
    return static_cast<int>(RunSwitch(host, WindowsRequest(mode)));
}
