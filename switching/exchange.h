// One command and its own answer. Whatever the modem sent before the command
// (a late answer, a stray OK, an unsolicited line) is dropped first, and the
// answer ends at the modem's final result, so no byte of one command's
// answer is ever read as another's.
#pragma once

#include <cstdint>

#include "comport.h"
#include "switch_constants.h"

// How long a command's answer may take: per read, and in all.
struct AnswerTimes {
    uint32_t readMs;
    uint32_t totalMs;
};
inline constexpr AnswerTimes kProbeTimes{kProbeTimeoutMs, kProbeTotalMs};
inline constexpr AnswerTimes kCommandTimes{kCommandTimeoutMs, kCommandTotalMs};

struct ExchangeResult {
    int result;       // the final result's bit (kComFinalResults) or a negative ComResult
    bool markRefuse;  // the refusal marker followed by 0 came somewhere in the answer
    int count;        // answer bytes stored

    // The modem carried the command out: its answer ended in OK with no
    // refusal anywhere in it.
    bool Confirmed() const { return ComVerdictOf(result) == ComVerdict::Done && !markRefuse; }
    // The modem does not take the command (ERROR, +CME ERROR, COMMAND NOT
    // SUPPORT, ...): firmware without it.
    bool Refused() const { return ComVerdictOf(result) == ComVerdict::Refused; }
};

// Sends command on the open port after dropping pending input, and reads its
// answer into answer (zero-terminated, at most kAnswerSizeGiven - 1 bytes),
// watching for refusalMarker (null: none).
ExchangeResult ExchangeCommand(ComPort* port, const char* command, const char* refusalMarker,
                               const AnswerTimes& times, char (&answer)[kAnswerBufferSize]);
