// The COM device calls over POSIX serial devices. A handle is a heap record
// holding the descriptor, the time-outs last set, the lock file taken and the
// port's state as found, given back at close. Reads and writes wait in
// poll(), so a silent line costs no CPU, and a stop signal ends the wait.
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
#include "open_failure.h"
#include "port_paths.h"
#include "stop_signals.h"
#include "uucp_lock.h"

namespace comdev {
namespace {

// What a port was like before it was opened.
struct FoundState {
    termios line;
    int modemLines;
    bool modemLinesRead;  // a pty has none
};

struct PosixDevice {
    int fd;
    std::string lockPath;
    FoundState found;
    DWORD readTimeoutMs = 0;  // 0: wait without end, as on Windows
    DWORD writeTimeoutMs = 0;
};

PosixDevice* DeviceOf(HANDLE handle) { return static_cast<PosixDevice*>(handle); }

// --- Time ------------------------------------------------------------------

long long NowUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

// A whole-call time-out as Windows counts it: from the start of the call.
class Deadline {
public:
    explicit Deadline(DWORD ms) : unbounded_(ms == 0), endUs_(NowUs() + ms * 1000LL) {}
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
// and so does a stop signal that is not held, or whose grace has run out:
// the engine sees a failed read. The wait wakes at the end of that grace.
Wait WaitFor(int fd, short event, const Deadline& deadline) {
    for (;;) {
        if (PortIoStopped()) return Wait::Failed;
        const int ms = deadline.PollMs();
        if (ms == 0) return Wait::TimedOut;
        const int graceMs = HeldStopGraceLeftMs();
        const bool graceFirst = graceMs >= 0 && (ms < 0 || graceMs < ms);
        pollfd entries[] = {{fd, event, 0}, {StopWakeUpFd(), POLLIN, 0}};
        const int ready = poll(entries, 2, graceFirst ? graceMs : ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Wait::Failed;
        if (ready == 0 && graceFirst) continue;  // the check above decides
        if (ready == 0) return Wait::TimedOut;
        if (entries[1].revents != 0) ClearStopWakeUp();  // the checks decide
        NoticeStopSignals();
        if (entries[0].revents & event) return Wait::Ready;
        if (entries[0].revents != 0) return Wait::Failed;
    }
}

// Moves bytes until all are done or the time is up. transfer(done) is read()
// or write() at the current position.
template <class Transfer>
BOOL TransferAll(int fd, short event, DWORD length, DWORD timeoutMs, DWORD* done,
                 Transfer transfer) {
    *done = 0;
    const Deadline deadline(timeoutMs);
    while (*done < length) {
        NoticeStopSignals();
        if (PortIoStopped()) return 0;
        const ssize_t moved = transfer(*done);
        if (moved > 0) {
            *done += static_cast<DWORD>(moved);
            continue;
        }
        // A tty that reads 0 bytes in non-blocking mode has been hung up.
        if (moved == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return 0;
        const Wait wait = WaitFor(fd, event, deadline);
        if (wait == Wait::TimedOut) break;
        if (wait == Wait::Failed) return 0;
    }
    return 1;
}

// --- Line settings ---------------------------------------------------------

struct SpeedEntry {
    DWORD baud;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedOf(DWORD baud, speed_t* speed) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.baud == baud) {
            *speed = entry.speed;
            return true;
        }
    }
    return false;
}

DWORD BaudOf(speed_t speed) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.speed == speed) return entry.baud;
    }
    return 0;
}

constexpr BYTE kOddParity = 1;
constexpr BYTE kEvenParity = 2;
constexpr BYTE kTwoStopBits = 2;
constexpr DWORD kControlHandshake = 2;

tcflag_t CharacterSize(BYTE bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

BYTE DataBits(tcflag_t cflag) {
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

// Raw bytes both ways: no echo, no line editing, no translation, no signals.
void MakeRaw(termios* line) {
    cfmakeraw(line);
    line->c_cflag |= CLOCAL | CREAD;
    line->c_cc[VMIN] = 1;
    line->c_cc[VTIME] = 0;
}

// Character size, parity, stop bits and flow control exactly as the DCB says.
// Each is cleared first: cfmakeraw leaves them as found, and a previous
// program may have left parity or flow control on the line.
void SetFraming(termios* line, const DCB& dcb) {
    line->c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    line->c_iflag &= ~(IXON | IXOFF | IXANY);
    line->c_cflag |= CharacterSize(dcb.ByteSize);
    if (dcb.Parity != NOPARITY) line->c_cflag |= PARENB;
    if (dcb.Parity == kOddParity) line->c_cflag |= PARODD;
    if (dcb.StopBits == kTwoStopBits) line->c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == kControlHandshake) line->c_cflag |= CRTSCTS;
    if (dcb.fOutX) line->c_iflag |= IXON;
    if (dcb.fInX) line->c_iflag |= IXOFF;
}

// DTR and RTS as the DCB asks; a pty has no modem lines, which is fine.
void SetModemLines(int fd, const DCB& dcb) {
    const int dtr = TIOCM_DTR;
    const int rts = TIOCM_RTS;
    ioctl(fd, dcb.fDtrControl == DTR_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &dtr);
    if (dcb.fRtsControl != kControlHandshake) {
        ioctl(fd, dcb.fRtsControl == RTS_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &rts);
    }
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

// The descriptor, or -1 with errno saying why; *found is what to give back.
int OpenRaw(const std::string& path, FoundState* found) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios line{};
    // Not a terminal, or taken: not a port for us, and left as it was.
    if (tcgetattr(fd, &line) != 0 || !TakeExclusively(fd)) return Failed([&] { close(fd); });
    found->line = line;
    found->modemLinesRead = ioctl(fd, TIOCMGET, &found->modemLines) == 0;
    // A fresh tty echoes and edits lines until it is made raw, so at once.
    MakeRaw(&line);
    if (tcsetattr(fd, TCSANOW, &line) != 0) return Failed([&] { GiveBack(fd, *found); });
    return fd;
}

// The failure record of the last Open; errno on its own says too little
// about a port another program holds.
OpenFailure& LastFailure() {
    static OpenFailure failure;
    return failure;
}

HANDLE Fail(int error) {
    LastFailure().error = error;
    return INVALID_HANDLE_VALUE;
}

}  // namespace

const OpenFailure& LastOpenFailure() { return LastFailure(); }

DWORD LastOpenError() { return static_cast<DWORD>(LastFailure().error); }

OpenRefusal RefusalOf(DWORD error) {
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

PortNumbers SearchPorts() {
    PortNumbers ports;
    const int listed = static_cast<int>(PortPaths().size());
    for (int number = 1; number <= listed; ++number) ports.Add(number);
    return ports;
}

HANDLE Open(int number) {
    LastFailure() = OpenFailure{};
    const std::vector<std::string>& paths = PortPaths();
    if (number < 1 || static_cast<size_t>(number) > paths.size()) return Fail(ENODEV);
    const std::string& path = paths[static_cast<size_t>(number) - 1];
    LastFailure().devicePath = path;

    // The lock comes first: opening a port makes it raw and exclusive, which
    // must never happen to a port another program holds.
    std::string lockPath;
    if (TakeUucpLock(LockDirectory(), path, &lockPath, &LastFailure().lock) ==
        UucpLock::HeldByOther) {
        return Fail(EBUSY);
    }
    FoundState found{};
    const int fd = OpenRaw(path, &found);
    if (fd < 0) {
        const int error = errno;
        ReleaseUucpLock(lockPath);
        return Fail(error);
    }
    return new PosixDevice{fd, lockPath, found};
}

BOOL GetState(HANDLE device, DCB* dcb) {
    termios line{};
    if (tcgetattr(DeviceOf(device)->fd, &line) != 0) return 0;
    dcb->BaudRate = BaudOf(cfgetospeed(&line));
    dcb->ByteSize = DataBits(line.c_cflag);
    dcb->Parity = !(line.c_cflag & PARENB)  ? NOPARITY
                  : (line.c_cflag & PARODD) ? kOddParity
                                            : kEvenParity;
    dcb->StopBits = (line.c_cflag & CSTOPB) ? kTwoStopBits : ONESTOPBIT;
    dcb->fBinary = 1;
    dcb->fOutxCtsFlow = (line.c_cflag & CRTSCTS) ? 1 : 0;
    dcb->fOutX = (line.c_iflag & IXON) ? 1 : 0;
    dcb->fInX = (line.c_iflag & IXOFF) ? 1 : 0;
    return 1;
}

BOOL SetState(HANDLE device, DCB* dcb) {
    const int fd = DeviceOf(device)->fd;
    termios line{};
    speed_t speed = B0;
    if (tcgetattr(fd, &line) != 0 || !SpeedOf(dcb->BaudRate, &speed)) return 0;
    MakeRaw(&line);
    cfsetispeed(&line, speed);
    cfsetospeed(&line, speed);
    SetFraming(&line, *dcb);
    if (tcsetattr(fd, TCSANOW, &line) != 0) return 0;
    SetModemLines(fd, *dcb);
    return 1;
}

BOOL SetTimeouts(HANDLE device, COMMTIMEOUTS* timeouts) {
    PosixDevice* posix = DeviceOf(device);
    posix->readTimeoutMs = timeouts->ReadTotalTimeoutConstant;
    posix->writeTimeoutMs = timeouts->WriteTotalTimeoutConstant;
    return 1;
}

BOOL Purge(HANDLE device, DWORD flags) {
    if (!(flags & PURGE_RXCLEAR)) return 1;
    return tcflush(DeviceOf(device)->fd, TCIFLUSH) == 0;
}

BOOL Write(HANDLE device, const void* data, DWORD length, DWORD* written) {
    const PosixDevice* posix = DeviceOf(device);
    const char* bytes = static_cast<const char*>(data);
    return TransferAll(posix->fd, POLLOUT, length, posix->writeTimeoutMs, written,
                       [&](DWORD done) { return write(posix->fd, bytes + done, length - done); });
}

BOOL Read(HANDLE device, void* buffer, DWORD length, DWORD* read) {
    const PosixDevice* posix = DeviceOf(device);
    char* bytes = static_cast<char*>(buffer);
    return TransferAll(posix->fd, POLLIN, length, posix->readTimeoutMs, read,
                       [&](DWORD done) { return ::read(posix->fd, bytes + done, length - done); });
}

DWORD TickMs() { return static_cast<DWORD>(NowUs() / 1000); }

void Close(HANDLE device) {
    PosixDevice* posix = DeviceOf(device);
    GiveBack(posix->fd, posix->found);
    ReleaseUucpLock(posix->lockPath);
    delete posix;
}

}  // namespace comdev
