// Whether ModemManager runs: it opens new modem ports itself and may hold
// the one this program needs.
#pragma once

#include <string>

// True if a process named `name` runs, by the names in <procDir>/<pid>/comm.
bool ProcessRunning(const std::string& procDir, const std::string& name);

constexpr char kModemManagerName[] = "ModemManager";
