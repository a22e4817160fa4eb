// What a UUCP lock file in the way of a POSIX port's open showed: part of the
// failure the open gives back (comdev::OpenFailure), filled by the lock file
// code; the command line reads it to tell the user who holds a port.
#pragma once

#include <sys/types.h>

#include <string>

namespace comdev {

// What stopped the lock from being taken. The lock directory is writable by
// every user, so anything found at a lock path other than a small regular
// file may have been planted there: it holds the port and is left alone.
enum class LockObstacle {
    None,             // no lock file stood in the way
    LiveOwner,        // names a process that runs
    NoOwnerYet,       // names no process and is only seconds old
    StaleNotRemoved,  // names an ended process but could not be removed
    Symlink,
    Fifo,
    Device,
    Directory,
    Socket,
    TooLarge,    // bigger than any lock file is
    Unreadable,  // could not be examined or read
    Contended,   // kept changing hands while it was looked at
};

struct LockRefusal {
    LockObstacle obstacle = LockObstacle::None;
    std::string path;  // the lock file
    pid_t owner = 0;   // the PID it names; 0 when not known
};

}  // namespace comdev
