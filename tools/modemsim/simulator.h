// All COM ports of one Wine prefix (COM1..COM64): applies layouts and feeds
// the poll loop.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dos_devices.h"
#include "log.h"
#include "poll_entry.h"
#include "port_config.h"
#include "sim_port.h"

namespace modemsim {

class Simulator {
public:
    Simulator(DosDevices devices, Log& log);
    // Leaves every port absent.
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Replaces every port: old ptys closed, records cleared, all links rewritten.
    bool ApplyLayout(const Layout& layout, std::string* error);
    // nullptr for a port the layout leaves absent.
    const SimPort* Find(int com) const;
    SimPort* Find(int com);

    void CollectPoll(std::vector<PollEntry>& entries);
    std::optional<Clock::time_point> NextDeadline() const;
    void OnTime(Clock::time_point now);

private:
    bool PointAllAbsent(std::string* error);

    DosDevices devices_;
    Log& log_;
    std::map<int, std::unique_ptr<SimPort>> ports_;
};

}  // namespace modemsim
