// A COM device driven by a script instead of hardware: tests load the bytes it
// will deliver, make any platform call fail, and read back what the port
// functions did to it.
#pragma once

#include "com_platform.h"

#include <deque>
#include <string>
#include <vector>

struct ScriptedDevice {
    // What the device delivers; an empty queue reads as silence.
    std::deque<char> input;
    // Each ReadFile returns at most this many queued bytes (0: as asked).
    size_t readChunk = 0;

    bool failOpen = false;
    bool refuseTimeouts = false;
    bool failGetState = false;
    bool refuseState = false;
    bool failWrite = false;
    size_t writeLimit = SIZE_MAX;  // bytes a WriteFile accepts at most
    bool failRead = false;
    DWORD clockMs = 0;    // what TickMs reads
    DWORD msPerRead = 0;  // how far each ReadFile moves the clock on

    // What the port functions did.
    int opened = 0;  // port number of the last open
    std::string written;
    int setTimeoutsCalls = 0;
    COMMTIMEOUTS lastTimeouts = {};
    DCB lastState = {};
    DCB stateToReport = {};    // what GetCommState hands out
    DWORD dcbLengthAsked = 0;  // DCBlength the caller set before GetState
    int purgeCalls = 0;
    DWORD lastPurgeFlags = 0;
    int readCalls = 0;
    int closeCalls = 0;

    void Feed(const std::string& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

    // The one device the scripted comdev functions act on; reset per test.
    static ScriptedDevice& Current();
    static void Reset();
};

// The handle the scripted device hands out.
HANDLE ScriptedHandle();
