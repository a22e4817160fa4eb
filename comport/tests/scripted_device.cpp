#include "scripted_device.h"

#include <algorithm>
#include <cstdint>

#include "com_device.h"

namespace {
ScriptedDevice g_device;
}

ScriptedDevice& ScriptedDevice::Current() { return g_device; }
void ScriptedDevice::Reset() { g_device = ScriptedDevice(); }

HANDLE ScriptedHandle() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(0x5E1)); }

namespace comdev {

HANDLE Open(int number) {
    g_device.opened = number;
    return g_device.failOpen ? INVALID_HANDLE_VALUE : ScriptedHandle();
}

BOOL GetState(HANDLE, DCB* dcb) {
    g_device.dcbLengthAsked = dcb->DCBlength;
    if (g_device.failGetState) return 0;
    *dcb = g_device.stateToReport;
    dcb->DCBlength = sizeof(DCB);
    return 1;
}

BOOL SetState(HANDLE, DCB* dcb) {
    g_device.lastState = *dcb;
    return !g_device.refuseState;
}

BOOL SetTimeouts(HANDLE, COMMTIMEOUTS* timeouts) {
    ++g_device.setTimeoutsCalls;
    if (g_device.refuseTimeouts) return 0;
    g_device.lastTimeouts = *timeouts;
    return 1;
}

BOOL Purge(HANDLE, DWORD flags) {
    ++g_device.purgeCalls;
    g_device.lastPurgeFlags = flags;
    return 1;
}

BOOL Write(HANDLE, const void* data, DWORD length, DWORD* written) {
    *written = 0;
    if (g_device.failWrite) return 0;
    const DWORD accepted = static_cast<DWORD>(std::min<size_t>(length, g_device.writeLimit));
    g_device.written.append(static_cast<const char*>(data), accepted);
    *written = accepted;
    return 1;
}

BOOL Read(HANDLE, void* buffer, DWORD length, DWORD* read) {
    ++g_device.readCalls;
    g_device.clockMs += g_device.msPerRead;
    *read = 0;
    if (g_device.failRead) return 0;
    size_t n = std::min<size_t>(length, g_device.input.size());
    if (g_device.readChunk != 0) n = std::min(n, g_device.readChunk);
    auto* out = static_cast<char*>(buffer);
    for (size_t i = 0; i < n; ++i) {
        out[i] = g_device.input.front();
        g_device.input.pop_front();
    }
    *read = static_cast<DWORD>(n);
    return 1;
}

void Close(HANDLE) { ++g_device.closeCalls; }

DWORD TickMs() { return g_device.clockMs; }

}  // namespace comdev
