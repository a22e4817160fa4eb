// Who holds a serial port another program has: the live process a UUCP lock
// file names (as the lock code read it), or a process with the device open,
// found in /proc. Both are read the moment a port was passed over, and may
// have changed since. And whether ModemManager runs at all: it opens new
// modem ports itself and may hold the one this program needs.
#pragma once

#include <sys/types.h>

#include <string>

struct PortHolder {
    pid_t pid = 0;     // 0: not known
    std::string name;  // its command name (/proc/PID/comm), as the process set it
    // The system's ModemManager: so named, running as root, its program
    // root's own under /usr. Any user can give a process the name alone.
    bool modemManager = false;
};

// The process pid, if it runs (as a lock file names it).
PortHolder RunningProcess(const std::string& procDir, pid_t pid);

// The first process other than this one that has devicePath (or what a link
// there leads to) open.
PortHolder ProcessWithOpen(const std::string& procDir, const std::string& devicePath);

// True if the system's ModemManager runs (PortHolder::modemManager).
bool ModemManagerRuns(const std::string& procDir);

constexpr char kModemManagerName[] = "ModemManager";
