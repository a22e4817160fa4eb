// modemswitch started as a separate program beside the simulator, the way a
// shell starts it: stdout a file, closed, /dev/full, a pipe or a terminal,
// stderr a file, a chosen environment, signals sent while it runs. Every
// wait is bounded, so a program that hangs fails its test instead of the
// whole run.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class StdoutKind { File, Closed, Full, Pipe, Terminal };

struct Finished {
    int exitCode = -1;  // -1 when the program did not exit by itself
    bool hung = false;  // killed when the time-out ran out
    std::string out;
    std::string err;
};

using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

struct Launch {
    explicit Launch(std::vector<std::string> arguments, std::string stdinText = "",
                    StdoutKind stdoutKind = StdoutKind::File, Environment environment = {})
        : args(std::move(arguments)),
          input(std::move(stdinText)),
          out(stdoutKind),
          env(std::move(environment)) {}

    std::vector<std::string> args;
    std::string input;
    StdoutKind out;
    // Set on top of LC_ALL=ru_RU.UTF-8 (the texts the tests expect); nullopt unsets.
    Environment env;
    // Run as the unprivileged user nobody, without supplementary groups.
    bool asNobody = false;
    // stdin a pipe nobody writes to, instead of the input: a read waits.
    bool stdinWaits = false;
};

constexpr int kRunTimeoutMs = 10000;

class ProgramRun {
public:
    explicit ProgramRun(const Launch& launch);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    void Signal(int signal) const;
    // What the program has written to stderr so far.
    std::string ErrSoFar() const;
    // A pipe's first line, then its reading end closed, as `| head -1` does.
    std::string ReadLineAndClose();
    // Waits for the end; at the time-out the program is killed and hung set.
    Finished Wait(int timeoutMs = kRunTimeoutMs);

private:
    void ReadOutput(bool toEnd);

    std::string dir_;
    StdoutKind kind_;
    pid_t pid_ = -1;
    int outFd_ = -1;  // the reading end for Pipe and Terminal
    int inFd_ = -1;   // the writing end of a waiting stdin
    std::string out_;
    bool waited_ = false;
};

// One run to its end, stdout and stderr in files.
Finished RunProgram(const std::vector<std::string>& args, const std::string& input = "",
                    const char* locale = "ru_RU.UTF-8");

// $MODEMSIM_PREFIX/dosdevices/comN: the simulated port N.
std::string PortPath(int com);

// Whether condition() comes true within timeoutMs, looked at every 2 ms.
bool Eventually(const std::function<bool()>& condition, int timeoutMs = 5000);

// Milliseconds on a steady clock.
double NowMs();
