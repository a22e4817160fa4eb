// The platform calls the port functions make on a COM device. The Windows
// program links the Win32 ones (com_device_win32.cpp), the Linux command line
// the POSIX ones (com_device_posix.cpp); unit tests link a scripted device,
// which is how they reach failures a real port rarely shows.
#pragma once

#include "com_platform.h"

namespace comdev {

// Opens port <number> exclusively, synchronous, read and write: on Windows
// the device \\.\COM<number>, on POSIX the number-th path of the port list.
HANDLE Open(int number);
BOOL GetState(HANDLE device, DCB* dcb);
BOOL SetState(HANDLE device, DCB* dcb);
BOOL SetTimeouts(HANDLE device, COMMTIMEOUTS* timeouts);
BOOL Purge(HANDLE device, DWORD flags);
BOOL Write(HANDLE device, const void* data, DWORD length, DWORD* written);
BOOL Read(HANDLE device, void* buffer, DWORD length, DWORD* read);
void Close(HANDLE device);

// A steady count of milliseconds that wraps: the difference of two readings
// is the time between them (below 49 days). GetTickCount on Windows.
DWORD TickMs();

// The system's reason the last Open failed: GetLastError() on Windows, errno
// on POSIX; 0 once an Open has succeeded. Kept for the one thread that
// searches the ports, read right after the failed Open.
DWORD LastOpenError();

// What a failed open means for the user, told from the system's error.
enum class OpenRefusal {
    None,          // no error
    Absent,        // no such port
    Busy,          // another program holds it
    NotPermitted,  // this user may not open it
    Other,         // anything else: not a serial port, a driver's failure
};
OpenRefusal RefusalOf(DWORD error);

// Port numbers in the order a search tries them, at most kMaxSearchPorts.
constexpr int kMaxSearchPorts = 128;
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

// The ports a search for the modem tries, each once, in this order. Windows:
// COM1..COM31, then the COM ports above 31 the system lists as present
// (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM), ascending. POSIX: 1..n, every path
// of the port list.
PortNumbers SearchPorts();

}  // namespace comdev
