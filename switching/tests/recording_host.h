// A switch host that writes down every call the procedure makes, in order,
// and keeps the message log as the exact bytes a dialog would hold.
#pragma once

#include <string>
#include <vector>

#include "switch_host.h"

class RecordingHost final : public SwitchHost {
public:
    explicit RecordingHost(int mode) : mode_(mode) {}

    int Mode() const override { return mode_; }
    void ClearLog() override;
    void AppendLog(const char* text) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void FinishRun() override;

    // Runs the switch on a worker thread through SwitchThreadProc, as the
    // dialog does, and waits for it. Returns the thread's exit code.
    unsigned long RunOnWorker();

    // One entry per call: "ClearLog", "AppendLog <text>", "SetProgressRange
    // 0 31", "SetProgressPos 2", "StepProgress", "FinishRun".
    const std::vector<std::string>& Calls() const { return calls_; }
    const std::string& Log() const { return log_; }
    int ProgressPos() const { return pos_; }

private:
    int mode_;
    std::vector<std::string> calls_;
    std::string log_;
    int pos_ = 0;
};
