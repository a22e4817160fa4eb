// Simulated ports another program holds, the way each system shows it: under
// Wine the simulator's locked ports (their opens fail with error 5, as
// Windows answers for a busy port); natively ports this process holds with a
// flock, as a terminal program would.
#pragma once

#include <string>
#include <vector>

class HeldPorts {
public:
    HeldPorts() = default;
    ~HeldPorts();
    HeldPorts(const HeldPorts&) = delete;
    HeldPorts& operator=(const HeldPorts&) = delete;

    // The layout entries that put a held port on each of coms (under Wine
    // "COMn=locked"; natively "COMn=silent", held once Hold is called).
    static std::string LayoutOf(const std::vector<int>& coms);
    // Takes hold of the ports once the layout is in place; false if it could not.
    bool Hold(const std::vector<int>& coms);

private:
    std::vector<int> descriptors_;
};
