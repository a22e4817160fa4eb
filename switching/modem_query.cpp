// The mode query on a session's port.
#include "switch_constants.h"
#include "switch_host.h"
#include "vendors.h"

namespace {

// One command with the command phase's time-outs; true when the answer
// ended in the OK terminator. answer keeps what came back either way.
bool Ask(ComPort* port, const char* command, char (&answer)[kAnswerBufferSize]) {
    int count = 0;
    ComAnswerWatch watch{nullptr, kCommandTotalMs, false};
    return ComTransactWatched(port, command, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                              kCommandTimeoutMs, kCommandTimeoutMs, &watch) == kComOk;
}

// The vendor's query; when the modem refuses it, the query of the row a
// refused switch goes on with (Huawei firmware with AT^SETPORT).
bool AskMode(ComPort* port, const Vendor& vendor, ModeReport* report) {
    char answer[kAnswerBufferSize] = {};
    if (Ask(port, vendor.modeQuery, answer)) return vendor.parseModeAnswer(answer, report);
    return AnswerRefuses(answer) && vendor.onRefusal != nullptr &&
           AskMode(port, *vendor.onRefusal, report);
}

}  // namespace

bool QueryModeOn(ComPort* port, const Vendor& vendor, ModeReport* report) {
    if (port->handle == comdev::kClosedDevice) return false;
    ComPurgeRx(port);
    return AskMode(port, vendor, report);
}
