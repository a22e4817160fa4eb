#include "uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace comdev {
namespace {

// The lock names the device itself, so a link to it (/dev/serial/by-id/...)
// and the device's own path share one lock.
std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The PID a lock file names, or 0 when it names none.
pid_t LockOwner(const std::string& lockPath) {
    const int fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[32] = {};
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    if (got <= 0) return 0;
    const long pid = std::strtol(text, nullptr, 10);
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

bool ProcessAlive(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// Creates the lock file only if none exists. errno tells why it did not.
bool CreateLockFile(const std::string& lockPath) {
    const int fd = open(lockPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    const bool written = write(fd, text, static_cast<size_t>(length)) == length;
    close(fd);
    if (!written) unlink(lockPath.c_str());
    return written;
}

}  // namespace

std::string UucpLockName(const std::string& devicePath) {
    const std::string device = ResolvedPath(devicePath);
    return "LCK.." + device.substr(device.find_last_of('/') + 1);
}

UucpLock TakeUucpLock(const std::string& lockDir, const std::string& devicePath,
                      std::string* lockPath) {
    if (lockDir.empty()) return UucpLock::Unavailable;
    const std::string path = lockDir + "/" + UucpLockName(devicePath);
    // Two tries: the second after removing a stale lock.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (CreateLockFile(path)) {
            *lockPath = path;
            return UucpLock::Taken;
        }
        if (errno != EEXIST) return UucpLock::Unavailable;
        const pid_t owner = LockOwner(path);
        // Our own PID counts as live: this process already has the port open.
        if (owner != 0 && ProcessAlive(owner)) return UucpLock::HeldByOther;
        unlink(path.c_str());
    }
    return UucpLock::HeldByOther;
}

void ReleaseUucpLock(const std::string& lockPath) {
    if (!lockPath.empty()) unlink(lockPath.c_str());
}

}  // namespace comdev
