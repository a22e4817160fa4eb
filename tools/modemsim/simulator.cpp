#include "simulator.h"

namespace modemsim {

Simulator::Simulator(DosDevices devices, Log& log) : devices_(std::move(devices)), log_(log) {}

Simulator::~Simulator() {
    std::string error;
    PointAllAbsent(&error);
}

bool Simulator::PointAllAbsent(std::string* error) {
    ports_.clear();
    bool ok = true;
    for (int com = kFirstCom; com <= kLastCom; ++com) ok = devices_.PointAbsent(com, error) && ok;
    return ok;
}

bool Simulator::ApplyLayout(const Layout& layout, std::string* error) {
    // Every link is rewritten, also over those Wine set up for host ports.
    if (!PointAllAbsent(error)) return false;
    for (const auto& [com, config] : layout) {
        auto port = std::make_unique<SimPort>(com, config, devices_, log_);
        if (!port->Start(error)) {
            PointAllAbsent(error);
            return false;
        }
        ports_.emplace(com, std::move(port));
    }
    log_.Line("layout applied: " + std::to_string(layout.size()) + " port(s)");
    return true;
}

const SimPort* Simulator::Find(int com) const {
    const auto found = ports_.find(com);
    return found == ports_.end() ? nullptr : found->second.get();
}

SimPort* Simulator::Find(int com) {
    const auto found = ports_.find(com);
    return found == ports_.end() ? nullptr : found->second.get();
}

void Simulator::CollectPoll(std::vector<PollEntry>& entries) {
    for (auto& [com, port] : ports_) port->CollectPoll(entries);
}

std::optional<Clock::time_point> Simulator::NextDeadline() const {
    std::optional<Clock::time_point> earliest;
    for (const auto& [com, port] : ports_) {
        const auto deadline = port->NextDeadline();
        if (deadline && (!earliest || *deadline < *earliest)) earliest = deadline;
    }
    return earliest;
}

void Simulator::OnTime(Clock::time_point now) {
    for (auto& [com, port] : ports_) port->OnTime(now);
}

}  // namespace modemsim
