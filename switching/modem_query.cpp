#include "modem_query.h"

#include "comport.h"

namespace {

// One command with the command phase's time-outs; true when the answer
// ended in the OK terminator.
bool Ask(ComPort* port, const char* command, char (&answer)[kAnswerBufferSize]) {
    int count = 0;
    ComAnswerWatch watch{nullptr, kCommandTotalMs, false};
    const bool answered =
        ComTransactWatched(port, command, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                           kCommandTimeoutMs, kCommandTimeoutMs, &watch) == kComOk;
    if (!answered) answer[0] = '\0';
    return answered;
}

bool AskMode(ComPort* port, const Vendor& vendor, ModeReport* report) {
    char answer[kAnswerBufferSize] = {};
    return Ask(port, vendor.modeQuery, answer) && vendor.parseModeAnswer(answer, report);
}

}  // namespace

bool QueryMode(int number, const Vendor& vendor, ModeReport* report) {
    ComPort port;
    if (!ComOpen(number, &port)) return false;
    ComSetLine(&port, kBaud);
    ComPurgeRx(&port);
    const bool reported = AskMode(&port, vendor, report);
    ComClose(&port);
    return reported;
}

bool QueryStatus(int number, const Vendor& vendor, char (&identification)[kAnswerBufferSize],
                 ModeReport* report) {
    identification[0] = '\0';
    ComPort port;
    if (!ComOpen(number, &port)) return false;
    ComSetLine(&port, kBaud);
    ComPurgeRx(&port);
    Ask(&port, kIdentifyCommand, identification);
    const bool reported = AskMode(&port, vendor, report);
    ComClose(&port);
    return reported;
}
