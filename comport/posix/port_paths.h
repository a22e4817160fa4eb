// What the port numbers stand for on POSIX systems. ComOpen(n) opens the n-th
// device of an ordered list of paths; the lock directory is where the UUCP
// lock files of open ports go. Set both before a run, from one thread.
#pragma once

#include <string>
#include <vector>

namespace comdev {

// At most this many paths take part (COM1..COM31).
constexpr std::size_t kMaxPortPaths = 31;

// Replaces the list; paths beyond kMaxPortPaths are ignored.
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
