#include "com_device.h"

#include <charconv>
#include <cstring>

namespace comdev {
namespace {

DWORD g_lastOpenError = 0;

}  // namespace

HANDLE Open(int number) {
    // The \\.\ prefix is what lets COM10 and above open. to_chars, not a
    // printf: MinGW's conforming printf family would cost the exe 27 KB.
    char name[20] = "\\\\.\\COM";
    const size_t prefixLength = std::strlen(name);
    *std::to_chars(name + prefixLength, name + sizeof name - 1, number).ptr = '\0';
    // No sharing: a port held by another program must fail to open.
    HANDLE device =
        CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    g_lastOpenError = device == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return device;
}

DWORD LastOpenError() { return g_lastOpenError; }

// Windows answers "access denied" for a port another program has open, and
// a user who may open one COM port may open them all.
OpenRefusal RefusalOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return OpenRefusal::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return OpenRefusal::Absent;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return OpenRefusal::Busy;
    default:
        return OpenRefusal::Other;
    }
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
