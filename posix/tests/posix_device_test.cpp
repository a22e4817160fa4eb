// The port functions over the POSIX device, on pseudo-terminals held by the
// test: time-outs, exclusive use, UUCP lock files, and a port that goes away.
#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cooked_line.h"
#include "com_device.h"
#include "comport.h"
#include "port_paths.h"
#include "small_files.h"
#include "uucp_lock.h"

namespace {

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

std::string ReadFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "r")) {
        char buffer[64];
        const size_t got = std::fread(buffer, 1, sizeof buffer, file);
        text.assign(buffer, got);
        std::fclose(file);
    }
    return text;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr) << path;
    std::fputs(text.c_str(), file);
    std::fclose(file);
}

std::string LockText(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    comdev::ForEachEntry(directory, 4096, [&](const std::string& name) {
        names.push_back(name);
        return true;
    });
    return names;
}

// A PID no process has: a child that has ended and been reaped.
pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// One pty as COM1, with a private lock directory. The test keeps the master
// side: what a modem would be.
class PosixPort : public testing::Test {
protected:
    void SetUp() override {
        char slave[128];
        int slaveFd = -1;
        ASSERT_EQ(openpty(&master_, &slaveFd, slave, nullptr, nullptr), 0);
        close(slaveFd);  // the port functions open it by name
        slavePath_ = slave;
        char dir[] = "/tmp/posix-device-test.XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        lockDir_ = dir;
        comdev::SetLockDirectory(lockDir_);
        lockPath_ = lockDir_ + "/" + comdev::UucpLockName(slavePath_);
    }

    void TearDown() override {
        ComClose(&port_);
        if (master_ >= 0) close(master_);
        unlink(lockPath_.c_str());
        rmdir(lockDir_.c_str());
    }

    void Unplug() {
        close(master_);
        master_ = -1;
    }

    // Opens the pty by its name into port (the fixture's own by default).
    int Open(ComPort* port = nullptr) {
        return ComOpenNamed(slavePath_.c_str(), port != nullptr ? port : &port_, &failure_);
    }

    int master_ = -1;
    std::string slavePath_;
    std::string lockDir_;
    std::string lockPath_;
    ComPort port_{comdev::kClosedDevice, 0, 0, 0};
    comdev::OpenFailure failure_;
};

// A port is a device path, never looked up in the current folder.
TEST_F(PosixPort, OnlyADevicePathNamesAPort) {
    EXPECT_EQ(ComOpen(1, &port_), 0) << "COM1 is no port here";
    for (const char* name : {"ttyUSB0", ""}) {
        EXPECT_EQ(ComOpenNamed(name, &port_, &failure_), 0) << name;
        EXPECT_EQ(failure_.refusal, comdev::OpenRefusal::Absent) << name;
    }
    EXPECT_EQ(Open(), 1);
}

// None may end early; how close to the time-out they end is a figure the
// benchmark prints, since a busy machine delays any wake-up.
TEST_F(PosixPort, ASilentLineEndsAReadAfterItsTimeOutWithoutSpendingCpu) {
    ASSERT_EQ(Open(), 1);
    char byte;
    for (const uint32_t timeoutMs : {100u, 250u}) {
        const double cpu0 = CpuMs();
        for (int i = 0; i < 3; ++i) {
            const double wall0 = NowMs();
            EXPECT_EQ(ComRead(&port_, &byte, 1, timeoutMs), kComReadFailed);
            const double wall = NowMs() - wall0;
            EXPECT_GE(wall, timeoutMs) << "never before its time-out";
        }
        EXPECT_LT(CpuMs() - cpu0, 5.0) << "a waiting read must sleep, not spin";
    }
}

TEST_F(PosixPort, AReadReturnsAsSoonAsItsBytesAreIn) {
    ASSERT_EQ(Open(), 1);
    ASSERT_EQ(ComSetLine(&port_, 115200), 1);
    ASSERT_EQ(write(master_, "\r\nOK\r\n", 6), 6);
    char answer[16];
    int count = 0;
    const double wall0 = NowMs();
    EXPECT_EQ(
        ComTransact(&port_, "AT\r\n", "\r\nOK\r\n", answer, sizeof answer, &count, 1000, 1000),
        kComOk);
    // Far below the time-out a read that waited for it would take.
    EXPECT_LT(NowMs() - wall0, 500.0);
    EXPECT_STREQ(answer, "\r\nOK\r\n");
    char sent[8] = {};
    EXPECT_EQ(read(master_, sent, sizeof sent - 1), 4);
    EXPECT_STREQ(sent, "AT\r\n") << "raw line: the command goes out unchanged";
}

// A previous program may have left parity, two stop bits, seven data bits and
// flow control of both kinds on the line; the modem speaks 8N1 without any.
TEST_F(PosixPort, SettingTheLineClearsWhatAPreviousProgramLeft) {
    const int previous = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(previous, 0);
    termios line{};
    ASSERT_EQ(tcgetattr(previous, &line), 0);
    line.c_cflag = (line.c_cflag & ~CSIZE) | CS7 | CSTOPB | PARENB | PARODD | CRTSCTS;
    line.c_iflag |= IXON | IXOFF | IXANY;
    ASSERT_EQ(tcsetattr(previous, TCSANOW, &line), 0);

    ASSERT_EQ(Open(), 1);
    ASSERT_EQ(ComSetLine(&port_, 115200), 1);
    ASSERT_EQ(tcgetattr(previous, &line), 0);
    close(previous);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (CSTOPB | PARENB | PARODD | CRTSCTS), 0u);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
}

TEST_F(PosixPort, APortInUseDoesNotOpenAgain) {
    ASSERT_EQ(Open(), 1);
    ComPort second{};
    EXPECT_EQ(Open(&second), 0) << "second open of a port this process holds";
    ComClose(&port_);
    EXPECT_EQ(Open(&second), 1) << "free again once closed";
    ComClose(&second);
}

TEST_F(PosixPort, APortAnotherProgramHoldsLockedDoesNotOpen) {
    const int other = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Open(), 0);
    EXPECT_NE(access(lockPath_.c_str(), F_OK), 0) << "no lock file left behind";
    close(other);
    EXPECT_EQ(Open(), 1);
}

// A program that uses only the tty's exclusive mode stops anyone but root;
// root (as these tests run) must respect it too, and leave it set.
TEST_F(PosixPort, APortAnotherProgramMadeExclusiveDoesNotOpen) {
    const int other = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);
    EXPECT_EQ(Open(), 0);
    int exclusive = 0;
    ASSERT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0) << "the other program's exclusive mode was cleared";
    ioctl(other, TIOCNXCL);
    close(other);
    EXPECT_EQ(Open(), 1);
}

// Other programs, under other users too, read the PID from the lock; the
// file it was written in first must not be left behind.
TEST_F(PosixPort, TakesAUucpLockWhileOpenAndRemovesIt) {
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(ReadFile(lockPath_), LockText(getpid()));
    struct stat lock {};
    ASSERT_EQ(stat(lockPath_.c_str(), &lock), 0);
    EXPECT_EQ(lock.st_mode & 0777, 0644u);
    EXPECT_EQ(FilesIn(lockDir_), std::vector<std::string>{comdev::UucpLockName(slavePath_)});
    ComClose(&port_);
    EXPECT_NE(access(lockPath_.c_str(), F_OK), 0);
}

TEST_F(PosixPort, AStaleLockOfAnEndedProcessIsTakenOver) {
    WriteFile(lockPath_, LockText(DeadPid()));
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(ReadFile(lockPath_), LockText(getpid()));
}

// An empty lock may be one another program has just created and not yet
// written its PID in: respected while fresh, taken over once old.
TEST_F(PosixPort, AnEmptyLockIsRespectedWhileFreshAndTakenOverOnceOld) {
    WriteFile(lockPath_, "");
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(ReadFile(lockPath_), "") << "a fresh lock stays";

    const timespec minuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, lockPath_.c_str(), minuteAgo, 0), 0);
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(ReadFile(lockPath_), LockText(getpid()));
}

TEST_F(PosixPort, ALiveProcesssLockIsRespectedAndItsPortLeftAlone) {
    const int holder = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(holder, &before), 0);
    before.c_lflag |= ICANON | ECHO;
    ASSERT_EQ(tcsetattr(holder, TCSANOW, &before), 0);
    const std::string parentsLock = LockText(getppid());
    WriteFile(lockPath_, parentsLock);

    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(failure_.lock.obstacle, comdev::LockObstacle::LiveOwner);
    EXPECT_EQ(failure_.lock.owner, getppid()) << "the owner is named";
    EXPECT_EQ(ReadFile(lockPath_), parentsLock) << "another program's lock stays";
    termios after{};
    ASSERT_EQ(tcgetattr(holder, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag) << "still canonical with echo";
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    int exclusive = -1;
    ASSERT_EQ(ioctl(holder, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "the tty must not be left exclusive";
    close(holder);
}

// The lock directory is writable by every user: what one plants at a lock
// path must neither stop the run (a FIFO or a terminal read would wait for
// ever) nor be taken over, and the refusal must say what was in the way.
// Whatever was planted stays.
TEST_F(PosixPort, WhateverIsPlantedAtTheLockPathHoldsThePortWithoutAWait) {
    const std::string planted = lockDir_ + "/planted";
    WriteFile(planted, LockText(DeadPid()));
    const timespec minuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
    const struct {
        const char* what;
        std::function<int()> plant;  // 0 on success
        comdev::LockObstacle obstacle;
        mode_t type;
    } cases[] = {
        {"FIFO", [&] { return mkfifo(lockPath_.c_str(), 0666); }, comdev::LockObstacle::Fifo,
         S_IFIFO},
        {"link to a terminal", [&] { return symlink(slavePath_.c_str(), lockPath_.c_str()); },
         comdev::LockObstacle::Symlink, S_IFLNK},
        {"link to a stale lock", [&] { return symlink(planted.c_str(), lockPath_.c_str()); },
         comdev::LockObstacle::Symlink, S_IFLNK},
        {"dangling link", [&] { return symlink("/nonexistent/lock", lockPath_.c_str()); },
         comdev::LockObstacle::Symlink, S_IFLNK},
        {"directory", [&] { return mkdir(lockPath_.c_str(), 0777); },
         comdev::LockObstacle::Directory, S_IFDIR},
        {"50 MB file naming an ended process, old",
         [&] {
             WriteFile(lockPath_, LockText(DeadPid()));
             return truncate(lockPath_.c_str(), 50 << 20) |
                    utimensat(AT_FDCWD, lockPath_.c_str(), minuteAgo, 0);
         },
         comdev::LockObstacle::TooLarge, S_IFREG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.plant(), 0) << strerror(errno);
        EXPECT_EQ(Open(), 0);
        EXPECT_EQ(failure_.lock.obstacle, c.obstacle);
        EXPECT_EQ(failure_.lock.path, lockPath_);
        struct stat after {};
        EXPECT_EQ(lstat(lockPath_.c_str(), &after), 0) << "the planted entry was removed";
        EXPECT_EQ(after.st_mode & S_IFMT, c.type);
        ComClose(&port_);
        if (unlink(lockPath_.c_str()) != 0) rmdir(lockPath_.c_str());
    }
    unlink(planted.c_str());
    EXPECT_EQ(Open(), 1) << "free again once the lock path is clear";
    EXPECT_EQ(failure_.lock.obstacle, comdev::LockObstacle::None);
}

// A port is given back as it was found: a terminal in canonical mode with
// echo at 9600 (as a user's own --port /dev/tty would be) is that again
// once closed, and not exclusive.
TEST_F(PosixPort, AClosedPortHasItsSettingsBackAndIsNotExclusive) {
    const int user = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(user, 0);
    ASSERT_TRUE(MakeCooked(user));
    termios before{};
    ASSERT_EQ(tcgetattr(user, &before), 0);

    ASSERT_EQ(Open(), 1);
    ASSERT_EQ(ComSetLine(&port_, 115200), 1);
    ComClose(&port_);

    termios after{};
    ASSERT_EQ(tcgetattr(user, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B9600));
    int exclusive = -1;
    ASSERT_EQ(ioctl(user, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    close(user);
}

TEST_F(PosixPort, WithoutALockDirectoryThePortStillOpens) {
    comdev::SetLockDirectory(lockDir_ + "/missing");
    EXPECT_EQ(Open(), 1);
}

TEST_F(PosixPort, APortThatGoesAwayEndsAWaitingReadAtOnce) {
    ASSERT_EQ(Open(), 1);
    std::thread unplug([this] {
        const timespec pause{0, 50 * 1000000L};
        nanosleep(&pause, nullptr);
        Unplug();
    });
    char answer[64];
    int count = 0;
    const double wall0 = NowMs();
    const int result =
        ComTransact(&port_, "AT\r\n", "\r\nOK\r\n", answer, sizeof answer, &count, 5000, 1000);
    const double wall = NowMs() - wall0;
    unplug.join();
    EXPECT_EQ(result, kComReadFailed);
    EXPECT_LT(wall, 1000.0) << "ended by the hang-up, not by the 5 s time-out";
    // Gone for good: later reads and writes fail at once as well.
    EXPECT_EQ(ComRead(&port_, answer, 1, 5000), kComReadFailed);
    EXPECT_EQ(ComWrite(&port_, "AT\r\n", 4, 5000), kComWriteFailed);
    EXPECT_LT(NowMs() - wall0, 1000.0);
}

// Why an open failed, as the layer above reads it: the system's error, what
// it means for the user and, for a lock file in the way, which lock. Each
// case plants one reason; the slave pty is COM1.
struct RefusalCase {
    const char* name;
    // Sets up the reason; returns what must be undone after the open (a
    // descriptor to close, or -1).
    int (*plant)(const std::string& slave, const std::string& lockPath);
    comdev::OpenRefusal refusal;
    bool lockInTheWay;
};

int HoldWithFlock(const std::string& slave, const std::string&) {
    const int other = open(slave.c_str(), O_RDWR | O_NOCTTY);
    flock(other, LOCK_EX | LOCK_NB);
    return other;
}

int HoldExclusive(const std::string& slave, const std::string&) {
    const int other = open(slave.c_str(), O_RDWR | O_NOCTTY);
    ioctl(other, TIOCEXCL);
    return other;
}

int LockAsParent(const std::string&, const std::string& lockPath) {
    WriteFile(lockPath, LockText(getppid()));
    return -1;
}

// As old programs wrote it, the PID a 4-byte binary number; a minute old,
// past the grace a lock without a readable PID gets.
int BinaryLockAsParent(const std::string&, const std::string& lockPath) {
    const std::int32_t pid = getppid();
    std::ofstream(lockPath, std::ios::binary).write(reinterpret_cast<const char*>(&pid), sizeof pid);
    const timespec minuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
    utimensat(AT_FDCWD, lockPath.c_str(), minuteAgo, 0);
    return -1;
}

int Nothing(const std::string&, const std::string&) { return -1; }

class OpenRefusals : public PosixPort, public testing::WithParamInterface<RefusalCase> {};

TEST_P(OpenRefusals, TheLastFailedOpenTellsWhy) {
    const RefusalCase& c = GetParam();
    const int undo = c.plant(slavePath_, lockPath_);
    const bool absent = c.refusal == comdev::OpenRefusal::Absent;
    const bool notATerminal = c.refusal == comdev::OpenRefusal::Other;
    const std::string path = absent ? lockDir_ + "/ttyUSB9" : notATerminal ? "/dev/null" : slavePath_;
    EXPECT_EQ(ComOpenNamed(path.c_str(), &port_, &failure_), 0);
    EXPECT_EQ(failure_.refusal, c.refusal) << failure_.error;
    EXPECT_EQ(failure_.lock.obstacle != comdev::LockObstacle::None, c.lockInTheWay);
    EXPECT_EQ(failure_.lock.path, c.lockInTheWay ? lockPath_ : "");
    if (undo >= 0) {
        ioctl(undo, TIOCNXCL);
        close(undo);
    }
    unlink(lockPath_.c_str());
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(failure_.error, 0) << "an open that succeeds clears the reason";
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    EachReason, OpenRefusals,
    testing::Values(
        RefusalCase{"NoSuchDevice",      Nothing,       comdev::OpenRefusal::Absent, false},
        RefusalCase{"HeldWithFlock",     HoldWithFlock, comdev::OpenRefusal::Busy,   false},
        RefusalCase{"MadeExclusive",     HoldExclusive, comdev::OpenRefusal::Busy,   false},
        RefusalCase{"LiveLockFile",      LockAsParent,  comdev::OpenRefusal::Busy,   true},
        RefusalCase{"LiveBinaryLock",    BinaryLockAsParent, comdev::OpenRefusal::Busy, true},
        RefusalCase{"NotATerminal",      Nothing,       comdev::OpenRefusal::Other,  false}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });
// clang-format on

// A user outside the device's group: run as nobody in a child, against the
// pty made root's alone.
TEST_F(PosixPort, AUserWhoMayNotOpenThePortIsToldSo) {
    ASSERT_EQ(chmod(slavePath_.c_str(), 0600), 0);
    ASSERT_EQ(chown(slavePath_.c_str(), 0, 0), 0);
    const pid_t child = fork();
    if (child == 0) {
        comdev::SetLockDirectory("");  // nobody may not write the test's lock directory
        const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
        ComPort port{};
        const bool refused = dropped && Open(&port) == 0 &&
                             failure_.refusal == comdev::OpenRefusal::NotPermitted;
        _exit(!dropped ? 2 : refused ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 2) << "the tests must run as root to drop to nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(PortPaths, ScansUsbThenAcmDevicesInNumericOrder) {
    char dir[] = "/tmp/port-scan-test.XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string dev = dir;
    for (const char* name : {"ttyACM0", "ttyUSB10", "ttyUSB2", "ttyS0", "ttyUSB", "ttyUSBx"}) {
        WriteFile(dev + "/" + name, "");
    }
    const std::vector<std::string> expected = {dev + "/ttyUSB2", dev + "/ttyUSB10",
                                               dev + "/ttyACM0"};
    EXPECT_EQ(comdev::ScanPortPaths(dev), expected);
    for (const char* name : {"ttyACM0", "ttyUSB10", "ttyUSB2", "ttyS0", "ttyUSB", "ttyUSBx"}) {
        unlink((dev + "/" + name).c_str());
    }
    rmdir(dir);
}

TEST(PortPaths, TheSearchTriesAtMostItsBound) {
    comdev::PortNames names;
    EXPECT_FALSE(comdev::ToPortNames(
        std::vector<std::string>(comdev::kMaxSearchPorts + 9, "/dev/null"), &names));
    EXPECT_EQ(names.Count(), comdev::kMaxSearchPorts);
}

}  // namespace
