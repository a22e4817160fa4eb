#include "control.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "escape.h"

namespace modemsim {
namespace {

// A layout line with long ident texts stays far below this.
constexpr std::size_t kMaxRequest = 1 << 20;

template <class Query>
std::string WithPort(std::string_view argument, Simulator& simulator, Query query) {
    const auto com = ParseComName(argument);
    if (!com) {
        return "error expected COM" + std::to_string(kFirstCom) + "..COM" + std::to_string(kLastCom) +
               ", got '" + std::string(argument) + "'";
    }
    SimPort* port = simulator.Find(*com);
    if (port == nullptr) return "error COM" + std::to_string(*com) + " has no modem";
    return query(*port);
}

std::string Received(const SimPort& port) {
    const std::string hex = HexEncode(port.GetModem().Received());
    return hex.empty() ? "ok" : "ok " + hex;
}

std::string Opens(SimPort& port) { return "ok " + std::to_string(port.Opens()); }

std::string Held(SimPort& port) { return "ok " + std::to_string(port.HeldHandles()); }

std::string State(const SimPort& port) { return "ok " + port.GetModem().State(); }

bool SendAll(int fd, const std::string& text) {
    for (std::size_t sent = 0; sent < text.size();) {
        const ssize_t put = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        sent += static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

std::string ExecuteControl(std::string_view line, Simulator& simulator, bool* quit) {
    const std::size_t space = line.find(' ');
    const std::string_view verb = line.substr(0, space);
    const std::string_view argument =
        space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    if (verb == "ping") return "ok";
    if (verb == "quit") {
        *quit = true;
        return "ok";
    }
    if (verb == "layout") {
        std::string error;
        const auto layout = ParseLayout(argument, &error);
        if (!layout || !simulator.ApplyLayout(*layout, &error)) return "error " + error;
        return "ok";
    }
    if (verb == "received") return WithPort(argument, simulator, Received);
    if (verb == "opens") return WithPort(argument, simulator, Opens);
    if (verb == "held") return WithPort(argument, simulator, Held);
    if (verb == "state") return WithPort(argument, simulator, State);
    return "error unknown request '" + std::string(verb) + "'";
}

ControlServer::~ControlServer() {
    for (const auto& connection : connections_) close(connection->fd);
    if (listener_ >= 0) close(listener_);
}

bool ControlServer::Listen(int port, std::string* error) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        *error = std::string("control port: ") + std::strerror(errno);
        return false;
    }
    port_ = ntohs(address.sin_port);
    return true;
}

void ControlServer::CollectPoll(std::vector<PollEntry>& entries) {
    entries.push_back({listener_, POLLIN, [this](short) { Accept(); }});
    for (const auto& connection : connections_) {
        Connection* target = connection.get();
        entries.push_back({target->fd, POLLIN, [this, target](short) { Serve(*target); }});
    }
}

void ControlServer::Accept() {
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) connections_.push_back(std::make_unique<Connection>(Connection{fd, {}}));
}

void ControlServer::Serve(Connection& connection) {
    char buffer[4096];
    const ssize_t got = recv(connection.fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
        connection.closed = got == 0 || errno != EINTR;
        return;
    }
    connection.input.append(buffer, static_cast<std::size_t>(got));
    std::size_t newline;
    while (!connection.closed && (newline = connection.input.find('\n')) != std::string::npos) {
        std::string line = connection.input.substr(0, newline);
        connection.input.erase(0, newline + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string reply = ExecuteControl(line, simulator_, &quit_);
        connection.closed = !SendAll(connection.fd, reply + "\n");
    }
    if (connection.input.size() > kMaxRequest) connection.closed = true;
}

void ControlServer::Sweep() {
    const auto gone = std::remove_if(connections_.begin(), connections_.end(), [](const auto& c) {
        if (c->closed) close(c->fd);
        return c->closed;
    });
    connections_.erase(gone, connections_.end());
}

bool AskControl(int port, const std::string& request, std::string* reply) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const std::string line = request + "\n";
    bool sent = fd >= 0 &&
                connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    reply->clear();
    char byte = 0;
    while (sent && read(fd, &byte, 1) == 1 && byte != '\n') reply->push_back(byte);
    if (!sent) *reply = std::string("control port: ") + std::strerror(errno);
    if (fd >= 0) close(fd);
    return sent;
}

}  // namespace modemsim
