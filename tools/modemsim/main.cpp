// modemsim: serves 3G modems on pseudo-terminals that a Wine prefix maps as
// COM ports. See README.md for the command line and the control protocol.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "control.h"
#include "event_loop.h"
#include "simulator.h"

namespace {

using namespace modemsim;

struct Options {
    std::string prefix;
    int controlPort = -1;  // -1: no control channel
    std::string logPath;
    std::string layout;  // the COMn=CONFIG words, joined
};

int Usage(const std::string& why) {
    std::cerr
        << "modemsim: " << why << "\n"
        << "usage: modemsim --prefix WINEPREFIX [--control PORT] [--log FILE] [COMn=CONFIG ...]\n"
        << "       modemsim --ask PORT REQUEST...   (one request to a running simulator)\n";
    return 2;
}

// modemsim --ask PORT REQUEST...: prints the reply; exit 0 only on "ok ...".
int Ask(int argc, char** argv) {
    if (argc < 4) return Usage("--ask needs a port and a request");
    std::string request = argv[3];
    for (int i = 4; i < argc; ++i) request += std::string(" ") + argv[i];
    std::string reply;
    if (!AskControl(std::atoi(argv[2]), request, &reply)) {
        std::cerr << "modemsim: " << reply << "\n";
        return 1;
    }
    std::cout << reply << "\n";
    return reply == "ok" || reply.rfind("ok ", 0) == 0 ? 0 : 1;
}

bool ParseArguments(int argc, char** argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--prefix" && hasValue) {
            options->prefix = argv[++i];
        } else if (arg == "--log" && hasValue) {
            options->logPath = argv[++i];
        } else if (arg == "--control" && hasValue) {
            char* end = nullptr;
            const long port = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || port < 0 || port > 65535) {
                *error = "bad control port";
                return false;
            }
            options->controlPort = static_cast<int>(port);
        } else if (arg.rfind("--", 0) == 0) {
            *error = "unknown or incomplete option " + arg;
            return false;
        } else {
            options->layout += arg + " ";
        }
    }
    if (options->prefix.empty()) *error = "--prefix is required";
    return !options->prefix.empty();
}

// SIGTERM and SIGINT arrive as a readable descriptor in the poll loop.
int StopSignalFd() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--ask") return Ask(argc, argv);
    Options options;
    std::string error;
    if (!ParseArguments(argc, argv, &options, &error)) return Usage(error);
    const auto layout = ParseLayout(options.layout, &error);
    if (!layout) return Usage(error);

    Log log;
    if (!options.logPath.empty() && !log.Open(options.logPath)) return Usage("cannot open log");
    DosDevices devices(options.prefix);
    if (!devices.Prepare(&error)) return Usage(error);
    const int stopFd = StopSignalFd();
    if (stopFd < 0) return Usage("signalfd failed");

    bool quit = false;
    Simulator simulator(devices, log);
    ControlServer control(simulator, quit);
    if (options.controlPort >= 0) {
        if (!control.Listen(options.controlPort, &error)) return Usage(error);
        std::cout << "control " << control.Port() << "\n";
    }
    if (!simulator.ApplyLayout(*layout, &error)) return Usage(error);
    std::cout << "ready" << std::endl;

    EventLoop loop(simulator, options.controlPort >= 0 ? &control : nullptr, stopFd, quit);
    loop.RunUntilQuit();
    log.Line("stopping");
    close(stopFd);
    return 0;
}
