// The few Windows types and constants the port functions and the switch
// procedure are written in, for POSIX systems: the same names, so the engine
// reads the same on both. Only what the engine uses is here; the values are
// the Windows ones.
// Linux-only in the POSIX port code, where a BSD port would start: TIOCGEXCL
// and B921600 (com_device_posix.cpp) and the ttyUSB/ttyACM device names.
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using HANDLE = void*;
using LPVOID = void*;

#define WINAPI

// A device that did not open (all bits set, as on Windows).
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

constexpr DWORD PURGE_RXCLEAR = 0x0008;

constexpr BYTE NOPARITY = 0;
constexpr BYTE ONESTOPBIT = 0;
constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_DISABLE = 0;

// Line settings: the members the engine sets.
struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fRtsControl : 2;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
};

// Time-outs in milliseconds; the engine uses only the two constants and
// leaves the interval and the multipliers zero.
struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};
