#include "recording_host.h"

#include <thread>

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

void RecordingHost::ExplainNoModem(const comdev::PortNames& busyPorts) {
    std::string call = "ExplainNoModem";
    for (int i = 0; i < busyPorts.Count(); ++i) call += std::string(" ") + busyPorts[i];
    calls_.push_back(call);
}

void RecordingHost::RunOnWorker(ModemSession* session) {
    std::thread worker([this, session] { outcome_ = RunSwitch(*this, request, session); });
    worker.join();
}
