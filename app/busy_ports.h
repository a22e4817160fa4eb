// The line a Windows host adds after a run that found no modem: the COM ports
// another program holds, «Порт COM4 занят ...» or «Порты COM4, COM7 заняты
// ...»; nothing when there are none.
#pragma once

#include "switch_host.h"

void SayBusyPorts(SwitchHost& host, const comdev::PortNames& busyPorts);
