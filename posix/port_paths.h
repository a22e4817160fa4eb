// Where a search looks on POSIX systems: the device paths of /dev it may
// try, and the lock directory, where the UUCP lock files of open ports go.
// Set the directory before a run, from one thread.
#pragma once

#include <string>
#include <vector>

#include "com_device.h"

namespace comdev {

// Every <devDir>/ttyUSB<n>, then every <devDir>/ttyACM<n>, each in numeric order.
std::vector<std::string> ScanPortPaths(const std::string& devDir);
// The paths as a search's list, in their order; false when they do not all fit.
bool ToPortNames(const std::vector<std::string>& paths, PortNames* names);

constexpr char kDefaultLockDirectory[] = "/run/lock";
// An empty directory name turns lock files off.
void SetLockDirectory(const std::string& directory);
const std::string& LockDirectory();

}  // namespace comdev
