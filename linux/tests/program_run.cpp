#include "program_run.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// The program under test: MODEMSWITCH_PROGRAM from the environment (the
// static build runs these tests too), else the one built beside them.
const char* ProgramPath() {
    const char* chosen = std::getenv("MODEMSWITCH_PROGRAM");
    return chosen != nullptr && *chosen != '\0' ? chosen : MODEMSWITCH_PROGRAM;
}

std::string Slurp(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// In the child: stdout as asked; `end` is the pipe's or terminal's far end.
void SetUpStdout(StdoutKind kind, const std::string& file, int end) {
    switch (kind) {
    case StdoutKind::File:
        dup2(open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        break;
    case StdoutKind::Closed:
        close(STDOUT_FILENO);
        break;
    case StdoutKind::Full:
        dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO);
        break;
    case StdoutKind::Pipe:
    case StdoutKind::Terminal:
        dup2(end, STDOUT_FILENO);
        break;
    }
}

constexpr uid_t kNobody = 65534;

// nobody may not reach the build tree (a clone under /root, in a mode-700
// folder), so its runs start a copy in a folder of their own, open to all.
std::string CopyForNobody(const std::string& dir) {
    const std::string copy = dir + "/modemswitch";
    std::ifstream from(ProgramPath(), std::ios::binary);
    std::ofstream(copy, std::ios::binary) << from.rdbuf();
    return chmod(copy.c_str(), 0755) == 0 && chmod(dir.c_str(), 0711) == 0 ? copy : "";
}

bool BecomeNobody() {
    return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

}  // namespace

ProgramRun::ProgramRun(const Launch& launch) : kind_(launch.out) {
    char dir[] = "/tmp/cli-run-test.XXXXXX";
    if (mkdtemp(dir) == nullptr) return;
    dir_ = dir;
    std::ofstream(dir_ + "/in") << launch.input;
    const std::string program = launch.asNobody ? CopyForNobody(dir_) : ProgramPath();
    int farEnd = -1;
    int waitingIn[2] = {-1, -1};
    if (launch.stdinWaits && pipe2(waitingIn, O_CLOEXEC) != 0) return;
    inFd_ = waitingIn[1];
    if (launch.out == StdoutKind::Pipe) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) return;
        outFd_ = ends[0];
        farEnd = ends[1];
    } else if (launch.out == StdoutKind::Terminal) {
        if (openpty(&outFd_, &farEnd, nullptr, nullptr, nullptr) != 0) return;
        fcntl(outFd_, F_SETFD, FD_CLOEXEC);
        fcntl(farEnd, F_SETFD, FD_CLOEXEC);
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(launch.stdinWaits ? waitingIn[0] : open((dir_ + "/in").c_str(), O_RDONLY),
             STDIN_FILENO);
        dup2(open((dir_ + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        SetUpStdout(launch.out, dir_ + "/out", farEnd);
        setenv("LC_ALL", "ru_RU.UTF-8", 1);
        for (const auto& [name, value] : launch.env) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        if (launch.asNobody && !BecomeNobody()) _exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : launch.args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (farEnd >= 0) close(farEnd);
    if (waitingIn[0] >= 0) close(waitingIn[0]);
}

ProgramRun::~ProgramRun() {
    if (pid_ > 0 && !waited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
    if (inFd_ >= 0) close(inFd_);
    for (const char* file : {"/in", "/out", "/err", "/modemswitch"}) unlink((dir_ + file).c_str());
    if (!dir_.empty()) rmdir(dir_.c_str());
}

void ProgramRun::Signal(int signal) const { kill(pid_, signal); }

std::string ProgramRun::ErrSoFar() const { return Slurp(dir_ + "/err"); }

std::string ProgramRun::ReadLineAndClose() {
    std::string line;
    char byte = 0;
    pollfd entry{outFd_, POLLIN, 0};
    while (outFd_ >= 0 && poll(&entry, 1, kRunTimeoutMs) == 1 && read(outFd_, &byte, 1) == 1) {
        line += byte;
        if (byte == '\n') break;
    }
    close(outFd_);
    outFd_ = -1;
    return line;
}

// What the pipe or terminal holds now, or (toEnd) up to its end.
void ProgramRun::ReadOutput(bool toEnd) {
    if (outFd_ < 0) return;
    if (toEnd) fcntl(outFd_, F_SETFL, O_NONBLOCK);
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(outFd_, buffer, sizeof buffer);
        if (got > 0) {
            out_.append(buffer, static_cast<size_t>(got));
            if (toEnd) continue;
            return;
        }
        // End of a pipe, EIO of a terminal whose other side has gone, or
        // (non-blocking) nothing left.
        if (got < 0 && errno == EAGAIN) return;
        close(outFd_);
        outFd_ = -1;
        return;
    }
}

Finished ProgramRun::Wait(int timeoutMs) {
    Finished finished;
    if (pid_ <= 0) return finished;
    const int ended = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    const double deadline = NowMs() + timeoutMs;
    for (;;) {
        const int leftMs = static_cast<int>(deadline - NowMs());
        pollfd entries[] = {{ended, POLLIN, 0}, {outFd_, POLLIN, 0}};
        if (leftMs <= 0 || poll(entries, 2, leftMs) == 0) {
            finished.hung = true;
            kill(pid_, SIGKILL);
            break;
        }
        if (entries[1].revents != 0) ReadOutput(false);
        if (entries[0].revents != 0) break;
    }
    close(ended);
    int status = 0;
    waitpid(pid_, &status, 0);
    waited_ = true;
    ReadOutput(true);
    finished.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    finished.out = kind_ == StdoutKind::File ? Slurp(dir_ + "/out") : out_;
    finished.err = Slurp(dir_ + "/err");
    return finished;
}

Finished RunProgram(const std::vector<std::string>& args, const std::string& input,
                    const char* locale) {
    return ProgramRun(Launch{args, input, StdoutKind::File, {{"LC_ALL", locale}}}).Wait();
}

std::string PortPath(int com) {
    return std::string(std::getenv("MODEMSIM_PREFIX")) + "/dosdevices/com" + std::to_string(com);
}

bool Eventually(const std::function<bool()>& condition, int timeoutMs) {
    const double deadline = NowMs() + timeoutMs;
    while (!condition()) {
        if (NowMs() > deadline) return false;
        const timespec pause{0, 2 * 1000000L};
        nanosleep(&pause, nullptr);
    }
    return true;
}

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}
