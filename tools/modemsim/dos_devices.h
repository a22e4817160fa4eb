// The comN links of a Wine prefix: each points at a pty slave, at nothing
// (an absent port: CreateFileA fails with error 2, open() with ENOENT) or at
// an empty directory (a port another program holds: error 5, what Windows
// answers for a busy port).
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
    bool PointBusy(int com, std::string* error) const;

    std::string LinkPath(int com) const;
    // What an absent port's link names: a path that never exists.
    std::string Nowhere() const { return prefix_ + "/modemsim-nothing"; }
    std::string BusyDir() const { return prefix_ + "/modemsim-busy"; }

private:
    std::string prefix_;
};

}  // namespace modemsim
