// A serial device driven by a script instead of hardware: tests load the
// bytes it will deliver, make any device call fail, and read back what the
// port functions did to it. Written in the seam's own terms, so it stands in
// for the device of either system.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "com_device.h"

struct ScriptedDevice {
    // What the device delivers; an empty queue reads as silence.
    std::deque<char> input;
    // Each Read returns at most this many queued bytes (0: as asked).
    size_t readChunk = 0;

    bool failOpen = false;
    comdev::OpenFailure openFailure;  // what a failed open reports
    bool refuseTimeouts = false;
    bool refuseLine = false;
    bool failWrite = false;
    size_t writeLimit = SIZE_MAX;  // bytes a Write accepts at most
    bool failRead = false;
    uint32_t clockMs = 0;    // what TickMs reads
    uint32_t msPerRead = 0;  // how far each Read moves the clock on

    // What the port functions did.
    std::string opened;  // name of the last open
    comdev::StopToken* stopGiven = nullptr;
    std::string written;
    int setTimeoutsCalls = 0;
    uint32_t readTimeout = 0;  // the last time-outs set
    uint32_t writeTimeout = 0;
    comdev::LineSettings lastLine = {};
    int purgeCalls = 0;
    int readCalls = 0;
    int closeCalls = 0;

    void Feed(const std::string& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

    // The one device the scripted comdev functions act on; reset per test.
    static ScriptedDevice& Current();
    static void Reset();
};

// The handle the scripted device hands out.
comdev::DeviceHandle ScriptedHandle();
