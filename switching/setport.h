// Huawei firmware that keeps its USB composition in AT^SETPORT instead of
// AT^U2DIAG (the sticks sold since about 2012 in their "stick" firmware).
// Its query answers "^SETPORT:A1,A2;12,10,16,A1,A2": before the ";" what the
// stick shows when plugged in (A1 CD drive, A2 SD card, FF nothing), after
// it the set it works with, as USB interface codes in hex. A new value takes
// effect once the stick is plugged in again.
//
// The two modes only move A1 and A2: "Modem only" is "FF;" and the working
// set without them, "Extra functions" puts them first and last. Every other
// code stays where it is. A value without the PC UI port (2 on 3G firmware,
// 12 on 4G firmware, the port AT commands go to) is never made: a stick
// without it cannot be reached again short of reflashing it.
#pragma once

#include "vendors.h"

// The answers to the mode query and to the listing query (AT^SETPORT=?,
// which some firmware refuses; "" then) make the command of mode.
void ComposeSetport(const char* const* answers, int answerCount, ModemMode mode,
                    ComposedCommands* composed);

// Reads the mode query's answer: "Modem only" or "Extra functions" when the
// value is what that mode makes of it, Unknown for any other value.
bool ParseSetportMode(const char* answer, ModeReport* report);
