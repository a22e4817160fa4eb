#include "held_ports.h"

std::string HeldPorts::LayoutOf(const std::vector<int>& coms) {
    std::string layout;
    for (int com : coms) layout += "COM" + std::to_string(com) + "=locked ";
    return layout;
}

// The simulator holds them already.
bool HeldPorts::Hold(const std::vector<int>&) { return true; }

HeldPorts::~HeldPorts() = default;
