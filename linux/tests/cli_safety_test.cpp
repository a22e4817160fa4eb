// modemswitch run as root the way a hostile or careless user would make it
// run: lock files planted in the shared lock directory, stdout closed, full
// or gone, signals while it searches and while it switches, a modem's bytes
// on a terminal, and colour where none is wanted. Each run is bounded by the
// harness's time-out, so a hang fails its case.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cooked_line.h"
#include "modemsim_client.h"
#include "program_run.h"
#include "small_files.h"
#include "uucp_lock.h"

namespace {

constexpr int kAllPorts = 31;

// What the tests look for in stderr (the runs speak Russian).
const char kStdoutComplaint[] = "modemswitch: стандартный вывод: ";
const char kStoppedBeforeSwitch[] = "прервано сигналом; модему не отправлено ни одной команды";
const char kFinishing[] = "переключение доводится до конца";
const char kHalfSwitched[] = "переключение прервано повторным сигналом";
const char kOverran[] = "модем не закончил переключение за 2 с после сигнала";
const char kRunAgain[] = "Запустите modemswitch ещё раз.";
const char kStatusStopped[] = "прервано сигналом до того, как модем сообщил режим";
const char kStoppedAfterSwitch[] = "модем подтвердил переключение, его режим не перечитан";

// What another program or the user would see of a port.
struct PortLook {
    termios line{};
    int exclusive = -1;
};

PortLook LookAt(int com) {
    PortLook look;
    const int fd = open(PortPath(com).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return look;
    tcgetattr(fd, &look.line);
    ioctl(fd, TIOCGEXCL, &look.exclusive);
    close(fd);
    return look;
}

// Puts the port in a user's settings (cooked_line.h).
void MakeCookedPort(int com) {
    const int fd = open(PortPath(com).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0) << PortPath(com);
    EXPECT_TRUE(MakeCooked(fd)) << PortPath(com);
    close(fd);
}

void ExpectSameLine(const termios& after, const termios& before, int com) {
    EXPECT_EQ(after.c_iflag, before.c_iflag) << "COM" << com;
    EXPECT_EQ(after.c_oflag, before.c_oflag) << "COM" << com;
    EXPECT_EQ(after.c_cflag, before.c_cflag) << "COM" << com;
    EXPECT_EQ(after.c_lflag, before.c_lflag) << "COM" << com;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A PID no process has: a child that has ended and been reaped.
int DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

std::vector<std::string> PortArgs(int count) {
    std::vector<std::string> args;
    for (int com = 1; com <= count; ++com) args.insert(args.end(), {"--port", PortPath(com)});
    return args;
}

std::vector<std::string> ModemOnly(int ports) {
    std::vector<std::string> args = {"modem-only", "--yes"};
    const std::vector<std::string> portArgs = PortArgs(ports);
    args.insert(args.end(), portArgs.begin(), portArgs.end());
    return args;
}

class Safety : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim().Available()) << "run beside the simulator (with_modemsim.sh)";
        const char* lockDir = std::getenv("MODEMSWITCH_LOCK_DIR");
        ASSERT_NE(lockDir, nullptr);
        lockDir_ = lockDir;
    }
    static ModemSim& sim() { return ModemSim::Instance(); }

    std::vector<std::string> LockFiles() const {
        std::vector<std::string> names;
        comdev::ForEachEntry(lockDir_, 4096, [&](const std::string& name) {
            names.push_back(name);
            return true;
        });
        return names;
    }

    // Every port of the layout closed, not exclusive, no lock file left.
    void ExpectAllGivenBack(int ports) {
        for (int com = 1; com <= ports; ++com) {
            EXPECT_TRUE(Eventually([&] { return sim().Held(com) == 0; })) << "COM" << com;
            EXPECT_EQ(LookAt(com).exclusive, 0) << "COM" << com << " left exclusive";
        }
        EXPECT_EQ(LockFiles(), std::vector<std::string>{}) << "lock files left behind";
    }

    std::string lockDir_;
};

// --- Lock files ---------------------------------------------------------------

// Whatever sits at COM1's lock path holds COM1: the run must not wait on it,
// take it over or write through it, and finds the modem on COM2.
TEST_F(Safety, PlantedLockFilesNeitherHangTheRunNorGiveUpThePort) {
    int terminal = -1, terminalSide = -1;
    char terminalPath[PATH_MAX];
    ASSERT_EQ(openpty(&terminal, &terminalSide, terminalPath, nullptr, nullptr), 0);
    std::string lock;  // named after the pty behind COM1, which each layout makes anew
    const std::string through = lockDir_ + "/written-through-a-link";
    const timespec minuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
    const struct {
        const char* what;
        std::function<int()> plant;  // 0 on success
        mode_t type;
    } cases[] = {
        {"FIFO", [&] { return mkfifo(lock.c_str(), 0666); }, S_IFIFO},
        {"link to a terminal", [&] { return symlink(terminalPath, lock.c_str()); }, S_IFLNK},
        {"dangling link", [&] { return symlink(through.c_str(), lock.c_str()); }, S_IFLNK},
        {"50 MB file naming no live process, a minute old",
         [&] {
             std::FILE* file = std::fopen(lock.c_str(), "wx");
             const bool written = file != nullptr && std::fprintf(file, "%10d\n", DeadPid()) == 11;
             if (file != nullptr) std::fclose(file);
             return (written ? 0 : -1) | truncate(lock.c_str(), 50 << 20) |
                    utimensat(AT_FDCWD, lock.c_str(), minuteAgo, 0);
         },
         S_IFREG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(sim().Layout("COM1=zte COM2=huawei"));
        lock = lockDir_ + "/" + comdev::UucpLockName(PortPath(1));
        ASSERT_EQ(c.plant(), 0);
        const Finished run = ProgramRun(Launch{ModemOnly(2)}).Wait();
        EXPECT_FALSE(run.hung) << "the lock read waited";
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_EQ(sim().Opens(1), 0) << "the port behind the planted lock was opened";
        EXPECT_EQ(sim().State(2), "u2diag=0");
        struct stat after {};
        EXPECT_EQ(lstat(lock.c_str(), &after), 0) << "the planted entry was removed";
        EXPECT_EQ(after.st_mode & S_IFMT, c.type);
        EXPECT_NE(access(through.c_str(), F_OK), 0) << "a file was made through the link";
        unlink(lock.c_str());
    }
    close(terminal);
    close(terminalSide);
}

// --- Standard output ----------------------------------------------------------

// The switch goes on whatever happens to stdout; only the probes, the
// commands and the read-back reach the modem, and a failed write is told
// once on stderr.
TEST_F(Safety, ClosedFullOrVanishingStdoutDoesNotStopTheSwitch) {
    const struct {
        const char* what;
        StdoutKind out;
        size_t complaints;
    } cases[] = {
        {"closed (>&-)", StdoutKind::Closed, 0},
        {"full (>/dev/full)", StdoutKind::Full, 1},
        {"a reader that leaves after one line (| head -1)", StdoutKind::Pipe, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The silent port first: the log goes on for 100 ms after its first
        // line, long after the reader has left.
        ASSERT_TRUE(sim().Layout("COM1=silent COM2=zte"));
        ProgramRun program(Launch{ModemOnly(2), "", c.out});
        if (c.out == StdoutKind::Pipe) {
            EXPECT_EQ(program.ReadLineAndClose(), "Поиск модема.\n");
        }
        const Finished run = program.Wait();
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(sim().State(2), "zcdrun=E");
        // The silent port's ATI may be dropped unread when the port is given back.
        EXPECT_EQ(std::string("ATI\r\n").rfind(sim().Received(1), 0), 0u) << sim().Received(1);
        // Found, switched, its mode read back.
        EXPECT_EQ(sim().Received(2), "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\nAT+ZCDRUN=4\r\n");
        EXPECT_EQ(Count(run.err, kStdoutComplaint), c.complaints) << run.err;
    }
}

// --- Signals --------------------------------------------------------------------

// A stop signal while the search goes over 31 silent ports: the search stops
// at once and every port is given back as it was found.
TEST_F(Safety, AStopSignalWhileSearchingGivesEveryPortBack) {
    const struct {
        int signal;
        int exitCode;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}, {SIGQUIT, 131}, {SIGUSR1, 138}};
    for (const auto& c : cases) {
        SCOPED_TRACE(strsignal(c.signal));
        std::string layout;
        for (int com = 1; com <= kAllPorts; ++com) {
            layout += "COM" + std::to_string(com) + "=silent ";
        }
        ASSERT_TRUE(sim().Layout(layout));
        std::vector<termios> before(kAllPorts + 1);
        std::vector<int> opensBefore(kAllPorts + 1);
        for (int com = 1; com <= kAllPorts; ++com) {
            MakeCookedPort(com);
            before[com] = LookAt(com).line;
            ASSERT_TRUE(Eventually([&] { return sim().Held(com) == 0; }));
            opensBefore[com] = sim().Opens(com);
        }

        ProgramRun program(Launch{ModemOnly(kAllPorts)});
        ASSERT_TRUE(Eventually([&] { return sim().Held(3) == 1; })) << "COM3 never probed";
        program.Signal(c.signal);
        const double signalled = NowMs();
        const Finished run = program.Wait();
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_LT(NowMs() - signalled, 1000.0) << "the search did not stop at once";
        EXPECT_TRUE(Contains(run.err, kStoppedBeforeSwitch)) << run.err;
        for (int com = 6; com <= kAllPorts; ++com) {
            EXPECT_EQ(sim().Opens(com), opensBefore[com])
                << "COM" << com << " probed after the signal";
        }
        ExpectAllGivenBack(kAllPorts);
        for (int com = 1; com <= kAllPorts; ++com)
            ExpectSameLine(LookAt(com).line, before[com], com);
    }
}

// During the commands a first signal waits for the list's end, at most 2 s,
// so the modem is not left half-switched; a second one, 0.3 s or more after
// the first, stops at once and says so, while one sooner (timeout(1) sends
// its signal twice) is the same request.
TEST_F(Safety, SignalsWhileSwitchingFinishTheListOrStopAtOnce) {
    const struct {
        const char* what;
        const char* layout;
        std::vector<int> signals;
        long gapMs;  // between two signals
        int exitCode;
        const char* state;  // the modem's mode at the end
        bool secondCommandSent;
        std::vector<const char*> told;  // on stderr
        double endsWithinMs;            // of the last signal
    } cases[] = {
        // Each answer 50 ms late: the signal comes while the first is awaited.
        {"SIGTERM between the two commands",
         "COM1=zte,delay-ms=50",
         {SIGTERM},
         0,
         143,
         "zcdrun=E",
         true,
         {kFinishing},
         2000},
        {"SIGQUIT (Ctrl-\\) between the two commands: no core, 131",
         "COM1=zte,delay-ms=50",
         {SIGQUIT},
         0,
         131,
         "zcdrun=E",
         true,
         {kFinishing},
         2000},
        {"SIGTERM twice, as timeout(1) sends it",
         "COM1=zte,delay-ms=50",
         {SIGTERM, SIGTERM},
         30,
         143,
         "zcdrun=E",
         true,
         {kFinishing},
         2000},
        // The first command is never answered: a held signal would wait 1 s for it.
        {"two SIGINTs",
         "COM1=zte,mute-on=AT+ZCDRUN=8",
         {SIGINT, SIGINT},
         400,
         130,
         "none",
         false,
         {kFinishing, kHalfSwitched},
         300},
        // One byte each 0.5 s and never OK: the grace ends it, and the notice
        // came at the signal, as no log line follows it.
        {"a modem dribbling its answer",
         "COM1=zte,dribble-on=AT+ZCDRUN=8",
         {SIGTERM},
         0,
         143,
         "none",
         false,
         {kFinishing, kOverran},
         2600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(sim().Layout(c.layout));
        ProgramRun program(Launch{ModemOnly(1)});
        ASSERT_TRUE(Eventually([&] { return Contains(sim().Received(1), "AT+ZCDRUN=8\r"); }));
        for (size_t i = 0; i < c.signals.size(); ++i) {
            const timespec pause{0, i == 0 ? 0 : c.gapMs * 1000000L};
            nanosleep(&pause, nullptr);
            program.Signal(c.signals[i]);
        }
        const double signalled = NowMs();
        const Finished run = program.Wait();
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_LT(NowMs() - signalled, c.endsWithinMs);
        EXPECT_EQ(sim().State(1), c.state);
        EXPECT_EQ(Contains(sim().Received(1), "AT+ZCDRUN=E"), c.secondCommandSent);
        EXPECT_EQ(Contains(run.out, "AT+ZCDRUN=E"), c.secondCommandSent) << run.out;
        for (const char* told : c.told) EXPECT_TRUE(Contains(run.err, told)) << run.err;
        EXPECT_EQ(Contains(run.err, kRunAgain), !c.secondCommandSent) << run.err;
        ExpectAllGivenBack(1);
    }
}

// A signal while the mode is asked (status, the guard's query before a
// switch, or the read-back after it) stops the query at once and says what
// that means; it is never shown as a modem that did not answer.
TEST_F(Safety, AStopWhileTheModeIsAskedIsToldAsOne) {
    const char* const zte = "COM1=zte,dribble-on=AT+ZCDRUN=4";
    const struct {
        std::vector<std::string> args;
        const char* layout;
        const char* asked;  // the query the signal comes in
        const char* told;
        const char* out;  // in stdout, or "" for nothing at all
    } cases[] = {
        {{"status"}, zte, "AT+ZCDRUN=4\r", kStatusStopped, ""},
        {{"status", "--json"}, zte, "AT+ZCDRUN=4\r", kStatusStopped, ""},
        {{"modem-only", "--yes"}, zte, "AT+ZCDRUN=4\r", kStoppedAfterSwitch, "Режим изменен."},
        {{"modem-only", "--yes"}, "COM1=huawei,dribble-on=AT^U2DIAG?", "AT^U2DIAG?\r",
         kStoppedBeforeSwitch, "Найден модем Huawei."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
        ASSERT_TRUE(sim().Layout(c.layout));
        std::vector<std::string> args = c.args;
        const std::vector<std::string> port = PortArgs(1);
        args.insert(args.end(), port.begin(), port.end());
        ProgramRun program(Launch{args});
        ASSERT_TRUE(Eventually([&] { return Contains(sim().Received(1), c.asked); }));
        program.Signal(SIGTERM);
        const Finished run = program.Wait();
        EXPECT_EQ(run.exitCode, 143) << run.out << run.err;
        EXPECT_TRUE(Contains(run.err, c.told)) << run.err;
        if (*c.out == '\0') {
            EXPECT_EQ(run.out, "");
        } else {
            EXPECT_TRUE(Contains(run.out, c.out)) << run.out;
        }
        EXPECT_FALSE(Contains(run.out, "не может сообщить")) << run.out;
        EXPECT_FALSE(Contains(run.out, "не сообщил свой режим")) << run.out;
        ExpectAllGivenBack(1);
    }
}

// --- What reaches the terminal -----------------------------------------------------

// A modem answering with C1 controls (raw and as UTF-8), a bidi override,
// an escape sequence, BEL and invalid UTF-8: the English log is plain ASCII,
// with each of them shown as an escape. (It reports no mode: forced.)
TEST_F(Safety, AModemsControlBytesReachStdoutOnlyAsEscapes) {
    ASSERT_TRUE(
        sim().Layout("COM1=nul,reply=%0D%0Ahuawei%20%9B%20%C2%9B%20%E2%80%AE%20%1B[2J%20%FF%07"
                     "%0D%0A%0D%0AOK%0D%0A"));
    std::vector<std::string> forced = ModemOnly(1);
    forced.push_back("--force");
    const Finished run =
        ProgramRun(Launch{forced, "", StdoutKind::File, {{"LC_ALL", "C"}}}).Wait();
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    for (const char byte : run.out) {
        const unsigned char value = static_cast<unsigned char>(byte);
        ASSERT_TRUE((value >= 0x20 && value < 0x7F) || value == '\n') << int(value) << run.out;
    }
    for (const char* escape : {"\\x9b", "\\u009b", "\\u202e", "\\x1b[2J", "\\xff\\x07"}) {
        EXPECT_TRUE(Contains(run.out, escape)) << escape << "\n" << run.out;
    }
}

// Colour on a terminal only when the user's environment asks for none of
// the ways to turn it off.
TEST_F(Safety, ColourOnATerminalOnlyWhenNothingTurnsItOff) {
    const struct {
        const char* what;
        Environment env;
        bool colour;
    } cases[] = {
        {"NO_COLOR=1", {{"NO_COLOR", "1"}, {"TERM", "xterm"}}, false},
        {"NO_COLOR empty", {{"NO_COLOR", ""}, {"TERM", "xterm"}}, true},
        {"TERM=dumb", {{"NO_COLOR", std::nullopt}, {"TERM", "dumb"}}, false},
        {"TERM unset", {{"NO_COLOR", std::nullopt}, {"TERM", std::nullopt}}, false},
    };
    ASSERT_TRUE(sim().Layout("COM1=silent"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Finished run =
            ProgramRun(Launch{ModemOnly(1), "", StdoutKind::Terminal, c.env}).Wait();
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(Contains(run.out, "ОШИБКА:")) << run.out;
        EXPECT_EQ(Contains(run.out, "\033["), c.colour) << run.out;
    }
}

}  // namespace
