// What the Windows hosts (the dialog and the console host) share: the request
// of their runs and the line they add after a run that found no modem.
#pragma once

#include "switch_host.h"

// What the dialog has always done: Russian, no guard, the port closed after
// the search and opened again for the commands, nothing that stops a run.
inline SwitchRequest WindowsRequest(ModemMode mode) {
    return {mode, Language::Russian, false, false, nullptr};
}

// The COM ports another program holds, «Порт COM4 занят ...» or «Порты COM4,
// COM7 заняты ...»; nothing when there are none.
void SayBusyPorts(SwitchHost& host, const comdev::PortNames& busyPorts);
