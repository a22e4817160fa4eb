// The few socket calls the simulator client makes, over Winsock on Windows
// and BSD sockets elsewhere, so the client builds for both.
#pragma once

#include <cstdint>

namespace modemsim {

using Socket = std::intptr_t;
constexpr Socket kNoSocket = -1;

// Starts and stops the platform's socket layer (Winsock needs it).
bool StartSockets();
void StopSockets();

// A TCP connection to 127.0.0.1:port whose receives give up after
// replyTimeoutMs; kNoSocket on failure.
Socket ConnectLoopback(int port, unsigned replyTimeoutMs);
// Bytes sent or received; <= 0 on failure, time-out or a closed peer.
int SendSome(Socket socket, const char* data, int length);
int ReceiveSome(Socket socket, char* buffer, int length);
void CloseSocket(Socket socket);

}  // namespace modemsim
