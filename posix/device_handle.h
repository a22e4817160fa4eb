// The POSIX device's handle: its own record (the descriptor, the lock file,
// the time-outs, the port as found), null when closed.
#pragma once

#include "lock_refusal.h"

namespace comdev {

struct PosixDevice;
using DeviceHandle = PosixDevice*;
constexpr DeviceHandle kClosedDevice = nullptr;

}  // namespace comdev
