// Where a search looks on POSIX systems: the ordered list of device paths it
// tries (comdev::SearchPorts), and the lock directory, where the UUCP lock
// files of open ports go. Set both before a run, from one thread.
#pragma once

#include <string>
#include <vector>

#include "com_device.h"

namespace comdev {

// Replaces the list; paths beyond kMaxSearchPorts are ignored.
void SetPortPaths(const std::vector<std::string>& paths);
// The list in use. Until SetPortPaths is called it is scanned once from /dev.
const std::vector<std::string>& PortPaths();
// Every <devDir>/ttyUSB<n>, then every <devDir>/ttyACM<n>, each in numeric order.
std::vector<std::string> ScanPortPaths(const std::string& devDir);

constexpr char kDefaultLockDirectory[] = "/run/lock";
// An empty directory name turns lock files off.
void SetLockDirectory(const std::string& directory);
const std::string& LockDirectory();

}  // namespace comdev
