#include "windows_hosts.h"

#include "line_builder.h"

namespace {

const char kBusyPortOne[] = "\r\nПорт ";
const char kBusyPortsMany[] = "\r\nПорты ";
const char kBusyOneHeld[] = " занят другой программой.";
const char kBusyManyHeld[] = " заняты другой программой.";
const char kCloseModemProgram[] = " Закройте программу модема и снова запустите эту программу.\r\n";
const char kPortListSeparator[] = ", ";

}  // namespace

void SayBusyPorts(SwitchHost& host, const comdev::PortNames& busyPorts) {
    if (busyPorts.Count() == 0) return;
    const bool one = busyPorts.Count() == 1;
    LineBuilder line;
    line.Append(one ? kBusyPortOne : kBusyPortsMany);
    for (int i = 0; i < busyPorts.Count(); ++i) {
        if (i > 0) line.Append(kPortListSeparator);
        line.Append(busyPorts[i]);
    }
    line.Append(one ? kBusyOneHeld : kBusyManyHeld);
    line.Append(kCloseModemProgram);
    host.AppendLog(line.Text());
}
