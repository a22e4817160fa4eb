// Why the last open of a POSIX port failed, in more detail than errno: the
// device tried and, when a UUCP lock file stood in the way, what that lock
// showed. The device fills it (com_device_posix.cpp, with the lock file code's
// findings); the command line reads it to tell the user who holds a port.
#pragma once

#include <sys/types.h>

#include <string>

namespace comdev {

// What stopped the lock from being taken.
enum class LockObstacle {
    None,  // no lock file stood in the way
    Held,  // a lock file of the device counts as held by another program
};

struct LockRefusal {
    LockObstacle obstacle = LockObstacle::None;
    std::string path;  // the lock file
    pid_t owner = 0;   // the PID it names; 0 when not known
};

struct OpenFailure {
    std::string devicePath;  // the device the last open tried
    int error = 0;           // errno of the failed step; 0 after a successful open
    LockRefusal lock;        // set when the lock file refused the port
};

// The record of the last Open (comdev::Open) on this process's search thread.
const OpenFailure& LastOpenFailure();

}  // namespace comdev
