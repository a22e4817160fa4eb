// Huawei sticks whose firmware keeps its USB composition in AT^SETPORT
// (E3372, E3131 and their kin in "stick" firmware): their factory values,
// what AT^SETPORT=? lists, and the rules the firmware holds a new value to.
#pragma once

#include <string>

#include "port_config.h"

namespace modemsim {

struct SetportFirmware {
    const char* factoryValue;  // what AT^SETPORT? reports when laid out
    const char* listing;       // the lines of AT^SETPORT=?, each "\r\n"-terminated
    const char* pcUi;          // the code of the port AT commands go to
    bool fourG;                // 4G firmware: exactly one 12, and one 11 or 16
    const char* ident;         // the ATI answer's body
};

// The firmware of a setport base (Base::E3372, Base::E3131).
const SetportFirmware& FirmwareOf(Base base);
bool IsSetportStick(Base base);

// Whether the firmware takes value (as the command carried it, upper case)
// on a stick that holds stored: the first part A1, A1,A2 or FF; only the
// characters 0-7 A B D E F , ;; the PC UI port present; no code twice; the
// CD drive and SD card last; the diagnostics and GPS ports unchanged; on 4G
// firmware exactly one 12 and one 11 or 16.
bool SetportAccepts(const std::string& value, const std::string& stored,
                    const SetportFirmware& firmware);

}  // namespace modemsim
