// The Windows device's handle: the system's own, INVALID_HANDLE_VALUE when
// closed, so the port record is the Win32 one.
#pragma once

#include <windows.h>

namespace comdev {

using DeviceHandle = HANDLE;
inline const DeviceHandle kClosedDevice = INVALID_HANDLE_VALUE;

// Windows keeps no lock files: nothing to tell of one.
struct LockRefusal {};

}  // namespace comdev
