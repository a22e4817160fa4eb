#include "recording_host.h"

#include <windows.h>

void RecordingHost::ClearLog() {
    calls_.push_back("ClearLog");
    log_.clear();
}

void RecordingHost::AppendLog(const char* text) {
    calls_.push_back(std::string("AppendLog ") + text);
    log_ += text;
}

void RecordingHost::SetProgressRange(int lower, int upper) {
    calls_.push_back("SetProgressRange " + std::to_string(lower) + " " + std::to_string(upper));
}

void RecordingHost::SetProgressPos(int pos) {
    calls_.push_back("SetProgressPos " + std::to_string(pos));
    pos_ = pos;
}

void RecordingHost::StepProgress() {
    calls_.push_back("StepProgress");
    ++pos_;
}

void RecordingHost::FinishRun() { calls_.push_back("FinishRun"); }

namespace {

// Runs entry on a new thread and waits for it; returns its exit code.
unsigned long RunThread(LPTHREAD_START_ROUTINE entry, void* param) {
    HANDLE worker = CreateThread(nullptr, 0, entry, param, 0, nullptr);
    if (worker == nullptr) {
        return STILL_ACTIVE;  // no thread: an exit code no entry gives
    }
    WaitForSingleObject(worker, INFINITE);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeThread(worker, &exitCode);
    CloseHandle(worker);
    return exitCode;
}

}  // namespace

DWORD WINAPI RecordingHost::RunAndKeepOutcome(LPVOID param) {
    auto* host = static_cast<RecordingHost*>(param);
    host->outcome_ = host->RunSwitch();
    return 0;
}

void RecordingHost::RunOnWorker() { RunThread(RunAndKeepOutcome, this); }

unsigned long RecordingHost::RunThroughThreadEntry() { return RunThread(SwitchThreadProc, this); }
