// The mode query on a session's port.
#include "exchange.h"
#include "switch_host.h"
#include "vendors.h"

namespace {

// The vendor's query; when the modem refuses it, the query of the row a
// refused switch goes on with (Huawei firmware with AT^SETPORT).
bool AskMode(ComPort* port, const Vendor& vendor, ModeReport* report) {
    char answer[kAnswerBufferSize] = {};
    const ExchangeResult exchange =
        ExchangeCommand(port, vendor.modeQuery, nullptr, kCommandTimes, answer);
    if (exchange.Confirmed()) return vendor.parseModeAnswer(answer, report);
    return exchange.Refused() && vendor.onRefusal != nullptr &&
           AskMode(port, *vendor.onRefusal, report);
}

}  // namespace

bool QueryModeOn(ComPort* port, const Vendor& vendor, ModeReport* report) {
    if (port->handle == comdev::kClosedDevice) return false;
    return AskMode(port, vendor, report);
}
