// The simulated modems behind the COM ports of the Wine prefix, set up and
// inspected through the simulator's control connection.
#pragma once

#include <string>

namespace simulated_modems {

// Replaces all ports with layout, e.g. "COM3=silent COM4=zte,delay-ms=40";
// ports not named are absent. Returns false with the reason in *error.
bool SetLayout(const std::string& layout, std::string* error);

// Every byte the modem on COM<com> has received so far; empty on failure.
std::string Received(int com);

// The mode the last switch command left in the modem on COM<com>, e.g.
// "zcdrun=8", "u2diag=257" or "none"; empty on failure.
std::string State(int com);

}  // namespace simulated_modems
