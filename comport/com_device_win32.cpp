#include "com_device.h"

#include <charconv>
#include <cstring>

namespace comdev {
namespace {

DWORD g_lastOpenError = 0;

constexpr int kLastFixedPort = 31;  // COM1..COM31 are tried whether listed or not
// ComDB, which hands out the numbers, holds at most this many.
constexpr int kHighestComNumber = 4096;
// Bounds the walk over a key a broken driver may have filled oddly.
constexpr DWORD kMaxListedValues = 1024;

// The n of "COMn" (the value data), or 0.
int ComNumberOf(const char* data) {
    if (std::strncmp(data, "COM", 3) != 0 || data[3] == '\0') return 0;
    int number = 0;
    for (const char* digit = data + 3; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') return 0;
        number = number * 10 + (*digit - '0');
        if (number > kHighestComNumber) return 0;
    }
    return number;
}

// Puts number among ports[from..] in ascending order, once.
void InsertAscending(PortNumbers* ports, int from, int number) {
    int at = from;
    while (at < ports->count && ports->numbers[at] < number) ++at;
    if (at < ports->count && ports->numbers[at] == number) return;
    if (!ports->Add(number)) return;
    for (int i = ports->count - 1; i > at; --i) ports->numbers[i] = ports->numbers[i - 1];
    ports->numbers[at] = number;
}

// The present COM ports the system lists, those above COM31 only.
void AddListedPortsAboveFixed(PortNumbers* ports) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS) {
        return;
    }
    const int from = ports->count;
    for (DWORD index = 0; index < kMaxListedValues; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        char data[16] = {};
        DWORD dataSize = sizeof data - 1;  // room for the zero a value may lack
        DWORD type = 0;
        const LONG result = RegEnumValueA(key, index, name, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        // Longer names or data than these are no COM port's.
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        const int number = ComNumberOf(data);
        if (number > kLastFixedPort) InsertAscending(ports, from, number);
    }
    RegCloseKey(key);
}

}  // namespace

PortNumbers SearchPorts() {
    PortNumbers ports;
    for (int number = 1; number <= kLastFixedPort; ++number) ports.Add(number);
    AddListedPortsAboveFixed(&ports);
    return ports;
}

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

DWORD TickMs() { return GetTickCount(); }

}  // namespace comdev
