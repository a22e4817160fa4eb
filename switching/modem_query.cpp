#include "modem_query.h"

#include "comport.h"

namespace {

// One command with the command phase's time-outs; true when the answer
// ended in the OK terminator. keepPartial: answer keeps what came back even
// then, else it is emptied.
bool Ask(ComPort* port, const char* command, char (&answer)[kAnswerBufferSize],
         bool keepPartial = false) {
    int count = 0;
    ComAnswerWatch watch{nullptr, kCommandTotalMs, false};
    const bool answered =
        ComTransactWatched(port, command, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                           kCommandTimeoutMs, kCommandTimeoutMs, &watch) == kComOk;
    if (!answered && !keepPartial) answer[0] = '\0';
    return answered;
}

// The vendor's query; when the modem refuses it, the query of the row a
// refused switch goes on with (Huawei firmware with AT^SETPORT).
bool AskMode(ComPort* port, const Vendor& vendor, ModeReport* report) {
    char answer[kAnswerBufferSize] = {};
    if (Ask(port, vendor.modeQuery, answer, true)) return vendor.parseModeAnswer(answer, report);
    return AnswerRefuses(answer) && vendor.onRefusal != nullptr &&
           AskMode(port, *vendor.onRefusal, report);
}

}  // namespace

bool QueryMode(const char* name, const Vendor& vendor, comdev::StopToken* stop,
               ModeReport* report) {
    ComPort port;
    if (!ComOpenNamed(name, &port, nullptr, stop)) return false;
    ComSetLine(&port, kBaud);
    ComPurgeRx(&port);
    const bool reported = AskMode(&port, vendor, report);
    ComClose(&port);
    return reported;
}

bool QueryStatus(const char* name, const Vendor& vendor, comdev::StopToken* stop,
                 char (&identification)[kAnswerBufferSize], ModeReport* report) {
    identification[0] = '\0';
    ComPort port;
    if (!ComOpenNamed(name, &port, nullptr, stop)) return false;
    ComSetLine(&port, kBaud);
    ComPurgeRx(&port);
    Ask(&port, kIdentifyCommand, identification);
    const bool reported = AskMode(&port, vendor, report);
    ComClose(&port);
    return reported;
}
