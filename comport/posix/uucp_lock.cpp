#include "uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace comdev {
namespace {

// The lock names the device itself, so a link to it (/dev/serial/by-id/...)
// and the device's own path share one lock.
std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// A lock whose PID cannot be read may be one another program has created and
// not yet written (not every program writes it before the name appears), so
// it counts as held until it is this many seconds old.
constexpr time_t kUnreadableLockGraceSeconds = 5;

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

enum class LockState { Gone, Held, Stale };

// What the lock at lockPath stands for now; *owner is the PID it names, or 0.
LockState InspectLock(const std::string& lockPath, pid_t* owner) {
    struct stat file {};
    if (stat(lockPath.c_str(), &file) != 0) return LockState::Gone;
    *owner = LockOwner(lockPath);
    // Our own PID counts as live: this process already has the port open.
    if (*owner != 0) return ProcessAlive(*owner) ? LockState::Held : LockState::Stale;
    const bool old = time(nullptr) - file.st_mtime > kUnreadableLockGraceSeconds;
    return old ? LockState::Stale : LockState::Held;
}

// Another process may have found the same stale lock, removed it and taken
// its own since we looked: remove the lock only if it still names the same
// ended owner. Left open is the moment between this last look and unlink().
void RemoveIfStillStale(const std::string& lockPath, pid_t staleOwner) {
    pid_t owner = 0;
    if (InspectLock(lockPath, &owner) == LockState::Stale && owner == staleOwner) {
        unlink(lockPath.c_str());
    }
}

// A file in the lock directory holding our PID, readable by all, or "" with
// errno set.
std::string WritePidFile(const std::string& lockDir) {
    std::string path = lockDir + "/LTMP.XXXXXX";
    const int fd = mkostemp(&path[0], O_CLOEXEC);
    if (fd < 0) return "";
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    const bool written =
        fchmod(fd, 0644) == 0 && write(fd, text, static_cast<size_t>(length)) == length;
    const int error = errno;
    close(fd);
    if (written) return path;
    unlink(path.c_str());
    errno = error;
    return "";
}

// Creates the lock file only if none exists. It appears under its name with
// the PID already in it (link() is atomic), so nobody ever reads it empty.
// errno tells why it was not created.
bool CreateLockFile(const std::string& lockDir, const std::string& lockPath) {
    const std::string pidFile = WritePidFile(lockDir);
    if (pidFile.empty()) return false;
    const bool linked = link(pidFile.c_str(), lockPath.c_str()) == 0;
    const int error = errno;
    unlink(pidFile.c_str());
    errno = error;
    return linked;
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
    // Two tries: the second after a stale lock was removed or the lock went.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (CreateLockFile(lockDir, path)) {
            *lockPath = path;
            return UucpLock::Taken;
        }
        if (errno != EEXIST) return UucpLock::Unavailable;
        pid_t owner = 0;
        const LockState state = InspectLock(path, &owner);
        if (state == LockState::Held) return UucpLock::HeldByOther;
        if (state == LockState::Stale) RemoveIfStillStale(path, owner);
    }
    return UucpLock::HeldByOther;
}

void ReleaseUucpLock(const std::string& lockPath) {
    if (!lockPath.empty()) unlink(lockPath.c_str());
}

}  // namespace comdev
