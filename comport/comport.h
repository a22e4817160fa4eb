// Serial port channel: a plain record for one open COM device and the
// functions that talk AT commands over it. All calls are synchronous; each
// read or write waits at most for the time-out last applied to the device.
// Results are integers, never exceptions.
#pragma once

#include <cstdint>

#include "com_device.h"

// Results of the transactions and raw transfers.
enum ComResult : int {
    kComOk = 0,                // the terminator was seen
    kComTimeoutsRefused = -1,  // the device refused the requested time-outs
    kComWriteFailed = -2,      // the command was not written whole
    kComReadFailed = -3,       // a read failed or the line stayed silent
    kComRunaway = -4,          // endless input: neither silence nor an answer
};

struct ComPort {
    comdev::DeviceHandle handle;  // comdev::kClosedDevice when closed
    uint32_t readTimeout;         // ms the device is set to (ReadTotalTimeoutConstant)
    uint32_t writeTimeout;        // ms the device is set to (WriteTotalTimeoutConstant)
    uint32_t baud;                // last baud rate set through ComSetLine
};

// A time-out argument of this value leaves that time-out as it is.
constexpr uint32_t kComKeepTimeout = 0xFFFFFFFFu;

// Opens the port called name ("COM4", "/dev/ttyUSB2") exclusively and sets
// 1000/1000 ms time-outs; its I/O gives up when stop says so (null: never).
// Returns 1 if the port is open, 0 otherwise (the record is then closed and
// *failure, when given, tells why).
int ComOpenNamed(const char* name, ComPort* port, comdev::OpenFailure* failure,
                 comdev::StopToken* stop = nullptr);

// ComOpenNamed of "COM<number>" (on POSIX no such port exists).
int ComOpen(int number, ComPort* port);

// Closes the device if open; safe to call on a closed or null record.
void ComClose(ComPort* port);

// 8N1 at baud, no flow control, DTR and RTS held inactive.
// Returns 1 on success, 0 if the device refused the settings.
int ComSetLine(ComPort* port, uint32_t baud);

// Returns 1 on success, 0 on failure; kComKeepTimeout keeps a value.
int ComSetTimeouts(ComPort* port, uint32_t readMs, uint32_t writeMs);

// Discards received, unread input. Returns 1 on success, 0 on failure.
int ComPurgeRx(ComPort* port);

// Writes command (if any), then reads byte by byte until terminator has been
// seen. Stores at most answerSize - 1 bytes, always zero-terminated, and their
// number in *count. Returns kComOk or a negative ComResult; kComRunaway ends a
// stream that has run far past answerSize without pause or terminator.
int ComTransact(ComPort* port, const char* command, const char* terminator, char* answer,
                uint32_t answerSize, int* count, uint32_t readMs, uint32_t writeMs);

// What ComTransactWatched watches for beside the terminator, and how long it
// may take in all.
struct ComAnswerWatch {
    const char* refusalMarker;  // this marker followed by the digit 0 is a refusal; null: none
    uint32_t totalMs;           // bound of the whole transaction; 0: none
    bool refused;               // set by the call: a refusal arrived, anywhere in the answer
};

// ComTransact, watching every byte that arrives (those past answerSize and
// past a zero byte included) for watch's refusal, and giving the stream up as
// endless (kComRunaway) once watch->totalMs have passed since the call began,
// so that a port that sends a byte now and then, never the terminator, cannot
// hold the caller for the whole byte allowance. A read under way when the
// time is up still ends at its own time-out.
int ComTransactWatched(ComPort* port, const char* command, const char* terminator, char* answer,
                       uint32_t answerSize, int* count, uint32_t readMs, uint32_t writeMs,
                       ComAnswerWatch* watch);

// Raw write: the number of bytes written (> 0), kComTimeoutsRefused or
// kComWriteFailed (nothing written). Touches only the write time-out.
int ComWrite(ComPort* port, const void* data, uint32_t length, uint32_t writeMs);

// Raw read of up to length bytes: the number read (> 0), kComTimeoutsRefused
// or kComReadFailed (silence or error). Touches only the read time-out.
int ComRead(ComPort* port, void* buffer, uint32_t length, uint32_t readMs);

// Like ComTransact, but ends on the first standard modem response whose bit is
// in mask; returns that bit's value or a negative result. The responses and
// their bits: 0x01 "OK\r\n", 0x02 "ERROR\r\n", 0x04 "VCON\r\n", 0x08
// "CONNECT\r\n", 0x10 DLE "t", 0x20 DLE "h", 0x40 "\r\n", 0x80 "NO CARRIER\r\n";
// when one byte ends several, the lowest bit wins.
int ComTransactAny(ComPort* port, const char* command, char* answer, uint32_t answerSize,
                   int* count, uint32_t mask, uint32_t readMs, uint32_t writeMs);

// The final results an AT command's answer ends with that the response
// table does not hold, each a line of its own: a bit each above the table's
// eight, so that one mask names both kinds.
enum ComFinalLine : uint32_t {
    kComCmeError = 0x100,           // "+CME ERROR: <n>", numeric or text
    kComCmsError = 0x200,           // "+CMS ERROR: <n>"
    kComNotSupported = 0x400,       // "COMMAND NOT SUPPORT"
    kComTooManyParameters = 0x800,  // "TOO MANY PARAMETERS"
};

// What a final result says of the command it ends.
enum class ComVerdict {
    Done,     // OK
    Refused,  // the modem does not take the command: ERROR and its kin
    Failed,   // NO CARRIER, or no final result at all (a negative result)
};

// The mask for ComTransactAnyWatched that ends an answer at any final
// result: the table's OK, ERROR and NO CARRIER and the lines above.
constexpr uint32_t kComFinalResults =
    0x01 | 0x02 | 0x80 | kComCmeError | kComCmsError | kComNotSupported | kComTooManyParameters;
// The verdict on a result of ComTransactAnyWatched.
ComVerdict ComVerdictOf(int result);

// ComTransactAny with the watch of ComTransactWatched, and each response
// counted only as a line of its own: a row that ends in a line break (OK,
// ERROR, NO CARRIER, ...) ends the answer only where a line break or the
// answer's start comes before it, so "LOOK\r\n" does not. The final-result
// lines in mask (ComFinalLine) end it as well, at the line break after them.
// Returns the bit of what ended it, or a negative ComResult.
int ComTransactAnyWatched(ComPort* port, const char* command, char* answer, uint32_t answerSize,
                          int* count, uint32_t mask, uint32_t readMs, uint32_t writeMs,
                          ComAnswerWatch* watch);
