#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "control_socket.h"

namespace modemsim {

bool StartSockets() { return true; }

void StopSockets() {}

Socket ConnectLoopback(int port, unsigned replyTimeoutMs) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (s < 0) return kNoSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    timeval timeout{};
    timeout.tv_sec = replyTimeoutMs / 1000;
    timeout.tv_usec = (replyTimeoutMs % 1000) * 1000;
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
        close(s);
        return kNoSocket;
    }
    return s;
}

int SendSome(Socket socket, const char* data, int length) {
    return static_cast<int>(
        send(static_cast<int>(socket), data, static_cast<size_t>(length), MSG_NOSIGNAL));
}

int ReceiveSome(Socket socket, char* buffer, int length) {
    return static_cast<int>(recv(static_cast<int>(socket), buffer, static_cast<size_t>(length), 0));
}

void CloseSocket(Socket socket) { close(static_cast<int>(socket)); }

}  // namespace modemsim
