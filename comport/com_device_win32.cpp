#include "com_device.h"

namespace comdev {

HANDLE Open(const char* name) {
    // No sharing: a port held by another program must fail to open.
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

BOOL GetState(HANDLE device, DCB* dcb) { return GetCommState(device, dcb); }
BOOL SetState(HANDLE device, DCB* dcb) { return SetCommState(device, dcb); }

BOOL SetTimeouts(HANDLE device, COMMTIMEOUTS* timeouts) {
    return SetCommTimeouts(device, timeouts);
}

BOOL Purge(HANDLE device, DWORD flags) { return PurgeComm(device, flags); }

BOOL Write(HANDLE device, const void* data, DWORD length, DWORD* written) {
    return WriteFile(device, data, length, written, nullptr);
}

BOOL Read(HANDLE device, void* buffer, DWORD length, DWORD* read) {
    return ReadFile(device, buffer, length, read, nullptr);
}

void Close(HANDLE device) { CloseHandle(device); }

}  // namespace comdev
