// A switch host that writes down every call the procedure makes, in order,
// and keeps the message log as the exact bytes a dialog would hold.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "simulated_ports.h"
#include "switch_host.h"

class RecordingHost final : public SwitchHost {
public:
    // Asks for what the dialog does: Russian, no guard, the port closed
    // after the search; the simulator's ports searched.
    explicit RecordingHost(ModemMode mode)
        : request{mode,           Language::Russian, false, false, nullptr, &kKnownVendors,
                  SimulatedSearchList()} {}

    void ClearLog() override;
    void AppendLog(const char* text) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void FinishRun() override;
    void ExplainNoModem(const comdev::PortNames& busyPorts) override;
    // True at stopAt, as a stop signal that came just before it.
    bool StopRequested(RunStage next) override { return stopAt == next; }

    // Runs the switch of request on a worker thread, as the dialog does, and
    // waits for it; Outcome() then tells how it ended.
    void RunOnWorker(ModemSession* session = nullptr);

    // One entry per call: "ClearLog", "AppendLog <text>", "SetProgressRange
    // 0 31", "SetProgressPos 2", "StepProgress", "ExplainNoModem COM4 COM7",
    // "FinishRun".
    const std::vector<std::string>& Calls() const { return calls_; }
    const std::string& Log() const { return log_; }
    int ProgressPos() const { return pos_; }
    SwitchOutcome Outcome() const { return outcome_; }

    SwitchRequest request;
    std::optional<RunStage> stopAt;

private:
    // Not a value RunSwitch gives, so a run that never happened shows.
    SwitchOutcome outcome_ = static_cast<SwitchOutcome>(-1);
    std::vector<std::string> calls_;
    std::string log_;
    int pos_ = 0;
};
