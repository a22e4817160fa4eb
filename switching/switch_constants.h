// The fixed numbers and strings of a switch run: how the line is set, what
// the modem is asked and how long its answers may take. Which ports are tried
// is the device's to say (comdev::SearchPorts); one progress unit each.
#pragma once

#include <cstdint>

constexpr int kCommandSteps = 2;

constexpr uint32_t kBaud = 115200;
constexpr char kIdentifyCommand[] = "ATI\r\n";
constexpr char kAnswerTerminator[] = "\r\nOK\r\n";

// Short while probing, so that a scan over silent ports stays quick.
constexpr uint32_t kProbeTimeoutMs = 100;
constexpr uint32_t kCommandTimeoutMs = 1000;
// Each whole answer, however its bytes are paced: real modems answer within a
// second, while a port that sends a byte now and then and never OK must not
// hold a run for long.
constexpr uint32_t kProbeTotalMs = 3000;
constexpr uint32_t kCommandTotalMs = 10000;

// ComTransact is told one byte less than the buffer holds, so at most 1022
// answer bytes are stored and the last byte of the buffer is never used.
constexpr uint32_t kAnswerBufferSize = 1024;
constexpr uint32_t kAnswerSizeGiven = kAnswerBufferSize - 1;
