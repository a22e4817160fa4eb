// The test-facing control channel: TCP on 127.0.0.1, one request line, one
// reply line ("ok ..." or "error ..."), any number of connections.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "poll_entry.h"
#include "simulator.h"

namespace modemsim {

// Runs one request against the simulator; sets *quit on "quit".
std::string ExecuteControl(std::string_view line, Simulator& simulator, bool* quit);

// The client side, for scripts (modemsim --ask): sends one request line to the
// simulator listening on 127.0.0.1:port and returns its reply line, or false
// with the reason in *reply.
bool AskControl(int port, const std::string& request, std::string* reply);

class ControlServer {
public:
    ControlServer(Simulator& simulator, bool& quit) : simulator_(simulator), quit_(quit) {}
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Port 0 picks a free one; Port() tells which.
    bool Listen(int port, std::string* error);
    int Port() const { return port_; }

    void CollectPoll(std::vector<PollEntry>& entries);
    // Drops connections whose peer has left; call outside the poll dispatch.
    void Sweep();

private:
    struct Connection {
        int fd;
        std::string input;
        bool closed = false;
    };

    void Accept();
    void Serve(Connection& connection);

    Simulator& simulator_;
    bool& quit_;
    int listener_ = -1;
    int port_ = 0;
    std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace modemsim
