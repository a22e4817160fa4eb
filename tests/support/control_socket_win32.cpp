#include <winsock2.h>
#include <ws2tcpip.h>

#include "control_socket.h"

namespace modemsim {

bool StartSockets() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void StopSockets() { WSACleanup(); }

Socket ConnectLoopback(int port, unsigned replyTimeoutMs) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return kNoSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    const DWORD timeout = replyTimeoutMs;
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                   sizeof timeout) != 0) {
        closesocket(s);
        return kNoSocket;
    }
    return static_cast<Socket>(s);
}

int SendSome(Socket socket, const char* data, int length) {
    return send(static_cast<SOCKET>(socket), data, length, 0);
}

int ReceiveSome(Socket socket, char* buffer, int length) {
    return recv(static_cast<SOCKET>(socket), buffer, length, 0);
}

void CloseSocket(Socket socket) { closesocket(static_cast<SOCKET>(socket)); }

}  // namespace modemsim
