// The fixed numbers and strings of a switch run: how the line is set, what
// the modem is asked and how long its answers may take. Which ports are tried
// is the device's to say (comdev::SearchPorts); one progress unit each.
#pragma once

#include <cstdint>

constexpr int kCommandSteps = 2;

constexpr uint32_t kBaud = 115200;
constexpr char kIdentifyCommand[] = "ATI\r\n";
constexpr char kAnswerTerminator[] = "\r\nOK\r\n";
constexpr char kZteMark[] = "ZTE";
constexpr char kHuaweiMark[] = "huawei";

// Short while probing, so that a scan over silent ports stays quick.
constexpr uint32_t kProbeTimeoutMs = 100;
constexpr uint32_t kCommandTimeoutMs = 1000;

// ComTransact is told one byte less than the buffer holds, so at most 1022
// answer bytes are stored and the last byte of the buffer is never used.
constexpr uint32_t kAnswerBufferSize = 1024;
constexpr uint32_t kAnswerSizeGiven = kAnswerBufferSize - 1;
