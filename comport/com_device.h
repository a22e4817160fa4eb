// The platform calls the port functions make on a COM device. The Windows
// program links the Win32 ones (com_device_win32.cpp), the Linux command line
// the POSIX ones (com_device_posix.cpp); unit tests link a scripted device,
// which is how they reach failures a real port rarely shows.
#pragma once

#include "com_platform.h"

namespace comdev {

HANDLE Open(const char* name);  // exclusive, synchronous, read and write
BOOL GetState(HANDLE device, DCB* dcb);
BOOL SetState(HANDLE device, DCB* dcb);
BOOL SetTimeouts(HANDLE device, COMMTIMEOUTS* timeouts);
BOOL Purge(HANDLE device, DWORD flags);
BOOL Write(HANDLE device, const void* data, DWORD length, DWORD* written);
BOOL Read(HANDLE device, void* buffer, DWORD length, DWORD* read);
void Close(HANDLE device);

}  // namespace comdev
