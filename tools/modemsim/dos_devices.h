// The comN links of a Wine prefix: each points at a pty slave or at an empty
// directory, which makes CreateFileA fail for that port.
#pragma once

#include <string>

namespace modemsim {

class DosDevices {
public:
    explicit DosDevices(std::string prefix);

    // Creates dosdevices/ and the empty directory if missing.
    bool Prepare(std::string* error) const;
    // Replaces the link atomically, so Wine never sees it missing.
    bool Point(int com, const std::string& target, std::string* error) const;
    bool PointAbsent(int com, std::string* error) const;

    std::string LinkPath(int com) const;
    std::string AbsentDir() const { return prefix_ + "/modemsim-absent"; }

private:
    std::string prefix_;
};

}  // namespace modemsim
