#include "uucp_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "small_files.h"

namespace comdev {
namespace {

// A lock whose PID cannot be read may be one another program has created and
// not yet written (not every program writes it before the name appears), so
// it counts as held until it is this many seconds old.
constexpr time_t kUnreadableLockGraceSeconds = 5;

// Ten digits and a line feed, with room for the longer forms some programs
// write (a name and a user after the PID); anything bigger is no lock file.
constexpr off_t kMaxLockFileSize = 64;

// None for a regular file of a lock file's size.
LockObstacle ObstacleOfFile(const struct stat& file) {
    if (S_ISLNK(file.st_mode)) return LockObstacle::Symlink;
    if (S_ISFIFO(file.st_mode)) return LockObstacle::Fifo;
    if (S_ISCHR(file.st_mode) || S_ISBLK(file.st_mode)) return LockObstacle::Device;
    if (S_ISDIR(file.st_mode)) return LockObstacle::Directory;
    if (S_ISSOCK(file.st_mode)) return LockObstacle::Socket;
    if (!S_ISREG(file.st_mode)) return LockObstacle::Unreadable;
    return file.st_size > kMaxLockFileSize ? LockObstacle::TooLarge : LockObstacle::None;
}

// Old programs wrote the PID as a 4-byte binary number. No PID the kernel
// hands out (at most 2^22) looks like text there: text bytes are all 0x0A
// or above, so four of them make a larger number in either byte order.
constexpr std::int32_t kMaxPid = 1 << 22;

// The PID a lock file of `length` bytes names, or 0 when it names none.
pid_t PidIn(const char* text, ssize_t length) {
    std::int32_t binary = 0;
    if (length == static_cast<ssize_t>(sizeof binary)) {
        std::memcpy(&binary, text, sizeof binary);
        if (binary > 0 && binary <= kMaxPid) return static_cast<pid_t>(binary);
    }
    const long pid = std::strtol(text, nullptr, 10);
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

struct FoundLock {
    bool present = false;
    LockObstacle obstacle = LockObstacle::None;  // None: a lock file to judge by its PID
    pid_t owner = 0;
    time_t modified = 0;
};

// Reads whatever is at lockPath without following a link, waiting on a FIFO
// or taking a terminal, and never more than a lock file holds. The entry is
// looked at before it is opened (nothing but a regular file is ever opened)
// and the file opened is judged again, as it may have been swapped between.
FoundLock ExamineLock(const std::string& lockPath) {
    FoundLock found;
    struct stat entry {};
    if (lstat(lockPath.c_str(), &entry) != 0) {
        if (errno == ENOENT) return found;
        found.present = true;
        found.obstacle = LockObstacle::Unreadable;
        return found;
    }
    found.present = true;
    found.obstacle = ObstacleOfFile(entry);
    if (found.obstacle != LockObstacle::None) return found;
    const int fd =
        open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return {};
        found.obstacle = errno == ELOOP ? LockObstacle::Symlink : LockObstacle::Unreadable;
        return found;
    }
    struct stat file {};
    char text[kMaxLockFileSize + 1] = {};
    if (fstat(fd, &file) != 0) {
        found.obstacle = LockObstacle::Unreadable;
    } else if ((found.obstacle = ObstacleOfFile(file)) == LockObstacle::None) {
        const ssize_t length = read(fd, text, kMaxLockFileSize);
        if (length < 0) found.obstacle = LockObstacle::Unreadable;
        found.owner = PidIn(text, length);
        found.modified = file.st_mtime;
    }
    close(fd);
    return found;
}

enum class LockState { Gone, Held, Stale };

// What the lock at lockPath stands for now; *refusal says why it is held,
// and its owner is the PID the lock names, or 0.
LockState InspectLock(const std::string& lockPath, LockRefusal* refusal) {
    const FoundLock found = ExamineLock(lockPath);
    *refusal = {found.obstacle, lockPath, found.owner};
    if (!found.present) return LockState::Gone;
    if (found.obstacle != LockObstacle::None) return LockState::Held;
    // Our own PID counts as live: this process already has the port open.
    if (found.owner != 0) {
        if (!ProcessRuns(found.owner)) return LockState::Stale;
        refusal->obstacle = LockObstacle::LiveOwner;
        return LockState::Held;
    }
    if (time(nullptr) - found.modified > kUnreadableLockGraceSeconds) return LockState::Stale;
    refusal->obstacle = LockObstacle::NoOwnerYet;
    return LockState::Held;
}

// Another process may have found the same stale lock, removed it and taken
// its own since we looked: remove the lock only if it still names the same
// ended owner. Left open is the moment between this last look and unlink().
// False only when the stale lock is there and could not be removed.
bool RemoveIfStillStale(const std::string& lockPath, pid_t staleOwner) {
    LockRefusal now;
    if (InspectLock(lockPath, &now) != LockState::Stale || now.owner != staleOwner) return true;
    return unlink(lockPath.c_str()) == 0 || errno == ENOENT;
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
    // The lock names the device itself, so a link to it (/dev/serial/by-id/...)
    // and the device's own path share one lock.
    const std::string canonical = CanonicalPath(devicePath);
    const std::string& device = canonical.empty() ? devicePath : canonical;
    return "LCK.." + device.substr(device.find_last_of('/') + 1);
}

UucpLock TakeUucpLock(const std::string& lockDir, const std::string& devicePath,
                      std::string* lockPath, LockRefusal* refusal) {
    if (lockDir.empty()) return UucpLock::Unavailable;
    const std::string path = lockDir + "/" + UucpLockName(devicePath);
    // Two tries: the second after a stale lock was removed or the lock went.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (CreateLockFile(lockDir, path)) {
            *lockPath = path;
            return UucpLock::Taken;
        }
        if (errno != EEXIST) return UucpLock::Unavailable;
        LockRefusal found;
        const LockState state = InspectLock(path, &found);
        if (state == LockState::Stale && !RemoveIfStillStale(path, found.owner)) {
            found.obstacle = LockObstacle::StaleNotRemoved;
        }
        if (found.obstacle != LockObstacle::None) {
            *refusal = found;
            return UucpLock::HeldByOther;
        }
    }
    // Taken and given up by others while we looked, twice over.
    *refusal = {LockObstacle::Contended, path, 0};
    return UucpLock::HeldByOther;
}

LockRefusal ReadUucpLock(const std::string& lockDir, const std::string& devicePath) {
    LockRefusal refusal;
    if (lockDir.empty()) return refusal;
    if (InspectLock(lockDir + "/" + UucpLockName(devicePath), &refusal) != LockState::Held) return {};
    return refusal;
}

void ReleaseUucpLock(const std::string& lockPath) {
    if (!lockPath.empty()) unlink(lockPath.c_str());
}

}  // namespace comdev
