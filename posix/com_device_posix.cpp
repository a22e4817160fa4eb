// The serial device over POSIX ttys. A handle is a heap record holding the
// descriptor, the line and time-outs in use, the lock file taken, the stop
// token handed to the open and the port's state as found, given back at
// close. Reads and writes wait in poll(), so a silent line costs no CPU, and
// the token's wake-up ends the wait.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "com_device.h"
#include "port_paths.h"
#include "stop_token.h"
#include "uucp_lock.h"

namespace comdev {

struct PosixDevice {
    int fd;
    std::string lockPath;
    struct FoundState {
        termios line;
        int modemLines;
        bool modemLinesRead;     // a pty has none
    } found;                     // what the port was like before it was opened
    termios line;                // the raw line in use
    StopToken* stop;             // null: only the time-outs end a wait
    uint32_t readTimeoutMs = 0;  // 0: wait without end, as on Windows
    uint32_t writeTimeoutMs = 0;
};

namespace {

using FoundState = PosixDevice::FoundState;

// --- Time ------------------------------------------------------------------

long long NowUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

// A whole-call time-out as Windows counts it: from the start of the call.
class Deadline {
public:
    explicit Deadline(uint32_t ms) : unbounded_(ms == 0), endUs_(NowUs() + ms * 1000LL) {}
    // What poll() should wait: -1 without end, 0 once the time is up. Rounded
    // up, so a read never ends before its time-out.
    int PollMs() const {
        if (unbounded_) return -1;
        const long long leftUs = endUs_ - NowUs();
        return leftUs <= 0 ? 0 : static_cast<int>((leftUs + 999) / 1000);
    }

private:
    bool unbounded_;
    long long endUs_;
};

enum class Wait { Ready, TimedOut, Failed };

// A hang-up (unplug, the far end of a pty gone) fails rather than times out,
// and so does a stop the token asks for: the engine sees a failed read. The
// wait also wakes when the token says its answer may change by then.
Wait WaitFor(int fd, short event, const Deadline& deadline, StopToken* stop) {
    for (;;) {
        if (stop != nullptr && stop->IoStopped()) return Wait::Failed;
        const int ms = deadline.PollMs();
        if (ms == 0) return Wait::TimedOut;
        const int changeMs = stop != nullptr ? stop->ChangesInMs() : -1;
        const bool changeFirst = changeMs >= 0 && (ms < 0 || changeMs < ms);
        pollfd entries[] = {{fd, event, 0}, {stop != nullptr ? stop->WakeUpFd() : -1, POLLIN, 0}};
        const int ready = poll(entries, 2, changeFirst ? changeMs : ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Wait::Failed;
        if (ready == 0 && changeFirst) continue;  // the check above decides
        if (ready == 0) return Wait::TimedOut;
        if (entries[1].revents != 0) stop->ClearWakeUp();  // the checks decide
        if (stop != nullptr) stop->Notice();
        if (entries[0].revents & event) return Wait::Ready;
        if (entries[0].revents != 0) return Wait::Failed;
    }
}

// Moves bytes until all are done or the time is up. transfer(done) is read()
// or write() at the current position.
template <class Transfer>
bool TransferAll(const PosixDevice& device, short event, uint32_t length, uint32_t timeoutMs,
                 uint32_t* done, Transfer transfer) {
    *done = 0;
    const Deadline deadline(timeoutMs);
    while (*done < length) {
        if (device.stop != nullptr) {
            device.stop->Notice();
            if (device.stop->IoStopped()) return false;
        }
        const ssize_t moved = transfer(*done);
        if (moved > 0) {
            *done += static_cast<uint32_t>(moved);
            continue;
        }
        // A tty that reads 0 bytes in non-blocking mode has been hung up.
        if (moved == 0) return false;
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return false;
        const Wait wait = WaitFor(device.fd, event, deadline, device.stop);
        if (wait == Wait::TimedOut) break;
        if (wait == Wait::Failed) return false;
    }
    return true;
}

// --- Line settings ---------------------------------------------------------

struct SpeedEntry {
    uint32_t baud;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedOf(uint32_t baud, speed_t* speed) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.baud == baud) {
            *speed = entry.speed;
            return true;
        }
    }
    return false;
}

// Raw bytes both ways: no echo, no line editing, no translation, no signals.
void MakeRaw(termios* line) {
    cfmakeraw(line);
    line->c_cflag |= CLOCAL | CREAD;
    line->c_cc[VMIN] = 1;
    line->c_cc[VTIME] = 0;
}

// The program's line: 8 data bits, no parity, one stop bit, no flow control.
// Each is cleared first: cfmakeraw leaves them as found, and a previous
// program may have left parity or flow control on the line.
void SetFraming(termios* line) {
    line->c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    line->c_iflag &= ~(IXON | IXOFF | IXANY);
    line->c_cflag |= CS8;
}

// DTR and RTS held inactive; a pty has no modem lines, which is fine.
void DropModemLines(int fd) {
    const int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &lines);
}

// --- Opening ---------------------------------------------------------------

// Nobody else may use the port while it is open: a flock for programs that
// share that habit, TIOCEXCL for the rest (root passes TIOCEXCL, not flock).
bool TakeExclusively(int fd) {
    // Another program's exclusive mode stops others, but not root: respect it
    // (and never clear it at close) as if it had stopped us.
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
        errno = EBUSY;
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
    ioctl(fd, TIOCEXCL);
    return true;
}

// Gives the port back as it was found: its line settings and modem lines
// (bytes still queued dropped first, so none go out under the old settings),
// then its exclusive mode, then the flock with the descriptor. TIOCEXCL
// belongs to the tty, not to this descriptor: closing alone would leave the
// port shut to everybody else.
void GiveBack(int fd, const FoundState& found) {
    tcflush(fd, TCIOFLUSH);
    tcsetattr(fd, TCSANOW, &found.line);
    if (found.modemLinesRead) ioctl(fd, TIOCMSET, &found.modemLines);
    ioctl(fd, TIOCNXCL);
    close(fd);
}

// Gives up with the errno of the step that failed kept for the caller.
template <class Release>
int Failed(Release release) {
    const int error = errno;
    release();
    errno = error;
    return -1;
}

// The descriptor, or -1 with errno saying why; *found is what to give back,
// *raw the line it is set to now.
int OpenRaw(const char* path, FoundState* found, termios* raw) {
    const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios line{};
    // Not a terminal, or taken: not a port for us, and left as it was.
    if (tcgetattr(fd, &line) != 0 || !TakeExclusively(fd)) return Failed([&] { close(fd); });
    found->line = line;
    found->modemLinesRead = ioctl(fd, TIOCMGET, &found->modemLines) == 0;
    // A fresh tty echoes and edits lines until it is made raw, so at once.
    MakeRaw(&line);
    if (tcsetattr(fd, TCSANOW, &line) != 0) return Failed([&] { GiveBack(fd, *found); });
    *raw = line;
    return fd;
}

OpenRefusal RefusalOf(int error) {
    switch (error) {
    case 0:
        return OpenRefusal::None;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return OpenRefusal::Absent;
    case EBUSY:
    case EWOULDBLOCK:
        return OpenRefusal::Busy;
    case EACCES:
    case EPERM:
        return OpenRefusal::NotPermitted;
    default:
        return OpenRefusal::Other;
    }
}

DeviceHandle Refused(int error, OpenFailure* failure) {
    failure->error = error;
    failure->refusal = RefusalOf(error);
    return kClosedDevice;
}

}  // namespace

// Without a list of its own a run tries every serial port of /dev, as many
// as the list holds.
PortNames SearchPorts() {
    PortNames ports;
    ToPortNames(ScanPortPaths("/dev"), &ports);
    return ports;
}

DeviceHandle Open(const char* name, StopToken* stop, OpenFailure* failure) {
    *failure = OpenFailure{};
    // A port is a device path: a bare name ("COM4") is no port here, and is
    // never looked up in whatever folder the program was started from.
    if (name[0] != '/') return Refused(ENOENT, failure);
    // The lock comes first: opening a port makes it raw and exclusive, which
    // must never happen to a port another program holds.
    std::string lockPath;
    if (TakeUucpLock(LockDirectory(), name, &lockPath, &failure->lock) == UucpLock::HeldByOther) {
        return Refused(EBUSY, failure);
    }
    FoundState found{};
    termios raw{};
    const int fd = OpenRaw(name, &found, &raw);
    if (fd < 0) {
        const int error = errno;
        ReleaseUucpLock(lockPath);
        return Refused(error, failure);
    }
    return new PosixDevice{fd, lockPath, found, raw, stop};
}

bool SetLine(DeviceHandle device, const LineSettings& settings) {
    speed_t speed = B0;
    if (!SpeedOf(settings.baud, &speed)) return false;
    termios line = device->line;
    cfsetispeed(&line, speed);
    cfsetospeed(&line, speed);
    SetFraming(&line);
    if (tcsetattr(device->fd, TCSANOW, &line) != 0) return false;
    device->line = line;
    DropModemLines(device->fd);
    return true;
}

bool SetTimeouts(DeviceHandle device, uint32_t readMs, uint32_t writeMs) {
    device->readTimeoutMs = readMs;
    device->writeTimeoutMs = writeMs;
    return true;
}

bool PurgeInput(DeviceHandle device) { return tcflush(device->fd, TCIFLUSH) == 0; }

bool Write(DeviceHandle device, const void* data, uint32_t length, uint32_t* written) {
    const char* bytes = static_cast<const char*>(data);
    return TransferAll(
        *device, POLLOUT, length, device->writeTimeoutMs, written,
        [&](uint32_t done) { return write(device->fd, bytes + done, length - done); });
}

bool Read(DeviceHandle device, void* buffer, uint32_t length, uint32_t* read) {
    char* bytes = static_cast<char*>(buffer);
    return TransferAll(*device, POLLIN, length, device->readTimeoutMs, read, [&](uint32_t done) {
        return ::read(device->fd, bytes + done, length - done);
    });
}

uint32_t TickMs() { return static_cast<uint32_t>(NowUs() / 1000); }

void Close(DeviceHandle device) {
    GiveBack(device->fd, device->found);
    ReleaseUucpLock(device->lockPath);
    delete device;
}

}  // namespace comdev
