// The serial device the port functions talk to, in this program's terms: a
// port is its name ("COM4", "/dev/ttyUSB2"), an open gives the device or the
// whole reason it failed, and the line is the one record below. The Windows
// program links the Win32 device (com_device_win32.cpp), the Linux command
// line the POSIX one (posix/com_device_posix.cpp); unit tests link a scripted
// device, which is how they reach failures a real port rarely shows.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device_handle.h"  // DeviceHandle, kClosedDevice, LockRefusal: the platform's own

namespace comdev {

// What tells port I/O to give up, handed down by whoever owns the run's stop
// requests; the POSIX device keeps it and asks it as it waits
// (posix/stop_token.h). Null: nothing stops the I/O but its time-outs.
class StopToken;

// What a failed open means for the user, told from the system's error.
enum class OpenRefusal {
    None,          // no error
    Absent,        // no such port
    Busy,          // another program holds it
    NotPermitted,  // this user may not open it
    Other,         // anything else: not a serial port, a driver's failure
};

// Why an open failed, whole: the system's error (the thread's last error on Windows,
// errno on POSIX), what it means and what a lock file in the way showed.
struct OpenFailure {
    int error = 0;
    OpenRefusal refusal = OpenRefusal::None;
    LockRefusal lock;
};

// The one line the program sets: baud, 8 data bits, no parity, one stop bit,
// no flow control, DTR and RTS held inactive. Each device maps it once.
struct LineSettings {
    uint32_t baud;
};

// Opens the named port exclusively, synchronous, read and write, and keeps
// stop for its I/O. kClosedDevice when it did not open, *failure then says why.
DeviceHandle Open(const char* name, StopToken* stop, OpenFailure* failure);
bool SetLine(DeviceHandle device, const LineSettings& line);
// Whole-call time-outs of each read and write in ms; 0 waits without end.
bool SetTimeouts(DeviceHandle device, uint32_t readMs, uint32_t writeMs);
// Drops what was received and not yet read.
bool PurgeInput(DeviceHandle device);
bool Write(DeviceHandle device, const void* data, uint32_t length, uint32_t* written);
bool Read(DeviceHandle device, void* buffer, uint32_t length, uint32_t* read);
void Close(DeviceHandle device);

// A steady count of milliseconds that wraps: the difference of two readings
// is the time between them (below 49 days). GetTickCount on Windows.
uint32_t TickMs();

constexpr int kMaxSearchPorts = 128;
// Room for one name: a POSIX path may be this long.
constexpr std::size_t kPortNameSize = 4096;

// Port names in the order a search tries them, at most kMaxSearchPorts, kept
// in one block (no heap: the Windows program has none of its own).
class PortNames {
public:
    // Appends a name; false once the list is full or for an empty name.
    bool Add(const char* name) {
        const std::size_t size = std::strlen(name) + 1;
        if (count_ == kMaxSearchPorts || size == 1 || size > kPortNameSize ||
            size > sizeof text_ - used_) {
            return false;
        }
        std::memcpy(text_ + used_, name, size);
        at_[count_++] = used_;
        used_ += size;
        return true;
    }
    int Count() const { return count_; }
    const char* operator[](int index) const { return text_ + at_[index]; }

private:
    int count_ = 0;
    std::size_t used_ = 0;
    std::size_t at_[kMaxSearchPorts] = {};
    char text_[4 * kPortNameSize] = {};
};

// "COM<number>", the name Windows gives a COM port. to_chars, not a printf:
// MinGW's conforming printf family would cost the exe 27 KB.
struct ComName {
    explicit ComName(int number) {
        *std::to_chars(text + 3, text + sizeof text - 1, number).ptr = '\0';
    }
    char text[16] = "COM";
};

// The ports a search for the modem tries when its run brings no list of its
// own, each once, in this order. Windows: COM1..COM31, then the COM ports
// above 31 the system lists as present (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM),
// ascending. POSIX: every ttyUSB, then every ttyACM of /dev.
PortNames SearchPorts();

}  // namespace comdev
