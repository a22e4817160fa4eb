// UUCP lock files, the convention serial terminal programs and dialers share:
// <lockdir>/LCK..<device> holding the owner's PID as ten ASCII digits and a
// line feed (or, as old programs wrote it, a 4-byte binary number). A lock
// whose owner is gone is stale and may be taken over.
//
// The lock directory is writable by every user (mode 1777), so whatever sits
// at a lock path may have been planted: it is never followed as a link,
// never waited on and read only as a small regular file. Anything else there
// holds the port, and the refusal says what it was.
#pragma once

#include <string>

#include "lock_refusal.h"

namespace comdev {

enum class UucpLock {
    Taken,        // this process holds the lock now
    Unavailable,  // no lock directory, or it cannot be written: go on without
    HeldByOther,  // a live process holds the device, or the lock path is unusable
};

// "LCK..ttyUSB2" for /dev/ttyUSB2 or for a link to it.
std::string UucpLockName(const std::string& devicePath);

// Takes the lock for devicePath in lockDir; on Taken, *lockPath names the
// file, on HeldByOther *refusal tells what was in the way (LockObstacle).
UucpLock TakeUucpLock(const std::string& lockDir, const std::string& devicePath,
                      std::string* lockPath, LockRefusal* refusal);

// What holds devicePath's lock in lockDir now, looked at without taking or
// removing anything: obstacle None when no lock holds the port (none there,
// or one whose owner has ended).
LockRefusal ReadUucpLock(const std::string& lockDir, const std::string& devicePath);

// Removes a lock file this process took; an empty path does nothing.
void ReleaseUucpLock(const std::string& lockPath);

}  // namespace comdev
