#include "pty_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace modemsim {
namespace {

std::string Failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool MakeSlaveRaw(const std::string& path, std::string* error) {
    const int slave = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        *error = Failure("open pty slave");
        return false;
    }
    termios tio{};
    bool ok = tcgetattr(slave, &tio) == 0;
    if (ok) {
        cfmakeraw(&tio);
        ok = tcsetattr(slave, TCSANOW, &tio) == 0;
    }
    if (!ok) *error = Failure("raw mode on pty slave");
    close(slave);
    return ok;
}

// Master with an unlocked slave; -1 and *error on failure, *slavePath filled.
int OpenMaster(std::string* slavePath, std::string* error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        *error = Failure("posix_openpt");
        return -1;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        *error = Failure("pty slave setup");
        close(master);
        return -1;
    }
    *slavePath = name;
    return master;
}

}  // namespace

std::unique_ptr<PtyDevice> PtyDevice::Create(std::string* error) {
    std::string slavePath;
    const int master = OpenMaster(&slavePath, error);
    if (master < 0) return nullptr;
    // The watch is added after our own open and close of the slave, so it
    // reports only the client's.
    int watch = -1;
    const bool nonBlocking = fcntl(master, F_SETFL, O_NONBLOCK) == 0;
    if (!nonBlocking) *error = Failure("non-blocking pty master");
    if (nonBlocking && MakeSlaveRaw(slavePath, error)) {
        watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (watch < 0 || inotify_add_watch(watch, slavePath.c_str(), IN_OPEN | IN_CLOSE) < 0) {
            *error = Failure("watch on pty slave");
            if (watch >= 0) close(watch);
            watch = -1;
        }
    }
    if (watch < 0) {
        close(master);
        return nullptr;
    }
    return std::unique_ptr<PtyDevice>(new PtyDevice(master, watch, slavePath));
}

PtyDevice::~PtyDevice() {
    close(watch_);
    close(master_);
}

std::vector<SlaveEvent> PtyDevice::TakeSlaveEvents() {
    std::vector<SlaveEvent> events;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(watch_, buffer, sizeof buffer);
        if (got <= 0) return events;  // EAGAIN: nothing more queued
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) events.push_back(SlaveEvent::Opened);
            if (event->mask & IN_CLOSE) events.push_back(SlaveEvent::Closed);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

bool PtyDevice::SlaveOpen() const {
    pollfd master{master_, 0, 0};
    return poll(&master, 1, 0) <= 0 || (master.revents & POLLHUP) == 0;
}

PtyDevice::ReadResult PtyDevice::ReadAvailable() {
    ReadResult result;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(master_, buffer, sizeof buffer);
        if (got > 0) {
            result.bytes.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        result.slaveGone = got == 0 || errno == EIO;
        return result;
    }
}

std::size_t PtyDevice::Write(const std::string& bytes) {
    for (;;) {
        const ssize_t put = write(master_, bytes.data(), bytes.size());
        if (put >= 0) return static_cast<std::size_t>(put);
        if (errno == EINTR) continue;
        return errno == EAGAIN ? 0 : bytes.size();
    }
}

}  // namespace modemsim
