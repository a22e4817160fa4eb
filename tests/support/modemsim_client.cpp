#include "modemsim_client.h"

#include <cstdlib>

#include "control_socket.h"
#include "escape.h"

namespace {

// Applying a layout closes and creates up to 31 ptys: give it time.
constexpr unsigned kReplyTimeoutMs = 10000;

std::string ComName(int com) { return "COM" + std::to_string(com); }

}  // namespace

ModemSim& ModemSim::Instance() {
    static ModemSim instance;
    return instance;
}

ModemSim::ModemSim() : socket_(modemsim::kNoSocket) {
    const char* port = std::getenv("MODEMSIM_CONTROL");
    if (port == nullptr || *port == '\0') {
        lastError_ = "MODEMSIM_CONTROL is not set";
        return;
    }
    socketsStarted_ = modemsim::StartSockets();
    if (!socketsStarted_) {
        lastError_ = "the socket layer did not start";
        return;
    }
    socket_ = modemsim::ConnectLoopback(std::atoi(port), kReplyTimeoutMs);
    if (socket_ == modemsim::kNoSocket) {
        lastError_ = "cannot reach the simulator on port " + std::string(port);
    }
}

ModemSim::~ModemSim() {
    if (socket_ != modemsim::kNoSocket) modemsim::CloseSocket(socket_);
    if (socketsStarted_) modemsim::StopSockets();
}

bool ModemSim::Available() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return socket_ != modemsim::kNoSocket;
}

std::string ModemSim::LastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

bool ModemSim::Layout(const std::string& configs) {
    std::string payload;
    return Request("layout " + configs, &payload);
}

std::string ModemSim::Received(int com) {
    std::string hex;
    if (!Request("received " + ComName(com), &hex)) return {};
    const auto bytes = modemsim::HexDecode(hex);
    return bytes.value_or(std::string());
}

int ModemSim::Opens(int com) { return CountOf("opens", com); }

int ModemSim::Held(int com) { return CountOf("held", com); }

int ModemSim::CountOf(const char* request, int com) {
    std::string count;
    if (!Request(request + (" " + ComName(com)), &count) || count.empty()) return -1;
    return std::atoi(count.c_str());
}

std::string ModemSim::State(int com) {
    std::string state;
    return Request("state " + ComName(com), &state) ? state : std::string();
}

bool ModemSim::Request(const std::string& line, std::string* payload) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (socket_ == modemsim::kNoSocket) return false;
    const std::string request = line + "\n";
    for (std::size_t sent = 0; sent < request.size();) {
        const int put = modemsim::SendSome(socket_, request.data() + sent,
                                           static_cast<int>(request.size() - sent));
        if (put <= 0) {
            Disconnect("lost the simulator while sending");
            return false;
        }
        sent += static_cast<std::size_t>(put);
    }
    std::string reply;
    if (!ReadLine(&reply)) return false;
    if (reply == "ok" || reply.rfind("ok ", 0) == 0) {
        *payload = reply.size() > 3 ? reply.substr(3) : std::string();
        return true;
    }
    lastError_ = reply;
    return false;
}

bool ModemSim::ReadLine(std::string* line) {
    std::size_t newline;
    while ((newline = pending_.find('\n')) == std::string::npos) {
        char buffer[4096];
        const int got = modemsim::ReceiveSome(socket_, buffer, sizeof buffer);
        if (got <= 0) {
            Disconnect("no reply from the simulator");
            return false;
        }
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
    *line = pending_.substr(0, newline);
    pending_.erase(0, newline + 1);
    return true;
}

void ModemSim::Disconnect(const std::string& why) {
    modemsim::CloseSocket(socket_);
    socket_ = modemsim::kNoSocket;
    pending_.clear();
    lastError_ = why;
}
