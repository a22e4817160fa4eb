#include "scripted_device.h"

#include <algorithm>
#include <cstdint>

namespace {
ScriptedDevice g_device;
}

ScriptedDevice& ScriptedDevice::Current() { return g_device; }
void ScriptedDevice::Reset() { g_device = ScriptedDevice(); }

comdev::DeviceHandle ScriptedHandle() {
    return reinterpret_cast<comdev::DeviceHandle>(static_cast<uintptr_t>(0x5E1));
}

namespace comdev {

DeviceHandle Open(const char* name, StopToken* stop, OpenFailure* failure) {
    g_device.opened = name;
    g_device.stopGiven = stop;
    *failure = g_device.failOpen ? g_device.openFailure : OpenFailure{};
    return g_device.failOpen ? kClosedDevice : ScriptedHandle();
}

bool SetLine(DeviceHandle, const LineSettings& line) {
    g_device.lastLine = line;
    return !g_device.refuseLine;
}

bool SetTimeouts(DeviceHandle, uint32_t readMs, uint32_t writeMs) {
    ++g_device.setTimeoutsCalls;
    if (g_device.refuseTimeouts) return false;
    g_device.readTimeout = readMs;
    g_device.writeTimeout = writeMs;
    return true;
}

bool PurgeInput(DeviceHandle) {
    ++g_device.purgeCalls;
    return true;
}

bool Write(DeviceHandle, const void* data, uint32_t length, uint32_t* written) {
    *written = 0;
    if (g_device.failWrite) return false;
    const uint32_t accepted = static_cast<uint32_t>(std::min<size_t>(length, g_device.writeLimit));
    g_device.written.append(static_cast<const char*>(data), accepted);
    *written = accepted;
    return true;
}

bool Read(DeviceHandle, void* buffer, uint32_t length, uint32_t* read) {
    ++g_device.readCalls;
    g_device.clockMs += g_device.msPerRead;
    *read = 0;
    if (g_device.failRead) return false;
    size_t n = std::min<size_t>(length, g_device.input.size());
    if (g_device.readChunk != 0) n = std::min(n, g_device.readChunk);
    auto* out = static_cast<char*>(buffer);
    for (size_t i = 0; i < n; ++i) {
        out[i] = g_device.input.front();
        g_device.input.pop_front();
    }
    *read = static_cast<uint32_t>(n);
    return true;
}

void Close(DeviceHandle) { ++g_device.closeCalls; }

uint32_t TickMs() { return g_device.clockMs; }

}  // namespace comdev
