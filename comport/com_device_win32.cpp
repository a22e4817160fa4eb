#include "com_device.h"

#include <cstring>

namespace comdev {
namespace {

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

// The port numbers of a search before they become names.
struct PortNumbers {
    int count = 0;
    int numbers[kMaxSearchPorts];

    // Appends a number; false once the list is full.
    bool Add(int number) {
        if (count == kMaxSearchPorts) return false;
        numbers[count++] = number;
        return true;
    }
};

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

// What an open's system error (ERROR_SUCCESS: none) tells the caller.
void Record(DWORD error, OpenFailure* failure) {
    *failure = OpenFailure{static_cast<int>(error), RefusalOf(error), {}};
}

}  // namespace

PortNames SearchPorts() {
    PortNumbers ports;
    for (int number = 1; number <= kLastFixedPort; ++number) ports.Add(number);
    AddListedPortsAboveFixed(&ports);
    PortNames names;
    for (int i = 0; i < ports.count; ++i) names.Add(ComName(ports.numbers[i]).text);
    return names;
}

DeviceHandle Open(const char* name, StopToken*, OpenFailure* failure) {
    // The \\.\ prefix is what lets COM10 and above open.
    char path[4 + kPortNameSize] = "\\\\.\\";
    const size_t length = std::strlen(name);
    if (length >= kPortNameSize) {
        Record(ERROR_FILE_NOT_FOUND, failure);
        return INVALID_HANDLE_VALUE;
    }
    std::memcpy(path + 4, name, length + 1);
    // No sharing: a port held by another program must fail to open.
    HANDLE device =
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Record(device == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS, failure);
    return device;
}

// The line as the program has always set it, member for member: what the
// device reports is kept where the program sets nothing.
bool SetLine(DeviceHandle device, const LineSettings& line) {
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    // Not checked: if reading fails, the members below still make a usable
    // 8N1 line and the rest stay zero.
    GetCommState(device, &dcb);

    dcb.BaudRate = line.baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    return SetCommState(device, &dcb) != FALSE;
}

bool SetTimeouts(DeviceHandle device, uint32_t readMs, uint32_t writeMs) {
    // Interval and multipliers zero: each read returns when its bytes are in
    // or after readMs with fewer, possibly none.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadTotalTimeoutConstant = readMs;
    timeouts.WriteTotalTimeoutConstant = writeMs;
    return SetCommTimeouts(device, &timeouts) != FALSE;
}

bool PurgeInput(DeviceHandle device) { return PurgeComm(device, PURGE_RXCLEAR) != FALSE; }

bool Write(DeviceHandle device, const void* data, uint32_t length, uint32_t* written) {
    DWORD done = 0;
    const BOOL ok = WriteFile(device, data, length, &done, nullptr);
    *written = done;
    return ok != FALSE;
}

bool Read(DeviceHandle device, void* buffer, uint32_t length, uint32_t* read) {
    DWORD done = 0;
    const BOOL ok = ReadFile(device, buffer, length, &done, nullptr);
    *read = done;
    return ok != FALSE;
}

void Close(DeviceHandle device) { CloseHandle(device); }

uint32_t TickMs() { return GetTickCount(); }

}  // namespace comdev
