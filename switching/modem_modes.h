// What a switch is asked for and what it found: the mode the user chose and
// the vendor the modem named in its identification. Plain values passed
// between the dialog (or command line), the procedure and the vendor table.
#pragma once

#include <string_view>

enum class ModemMode : int {
    ModemOnly = 0,       // the modem's extra devices are turned off
    ExtraFunctions = 1,  // the modem's extra devices are turned on
};

// The program's vendors (vendors.h), by name.
enum class ModemVendor : int {
    Huawei,
    Zte,
};

// The mode a command line names: "modem-only" or "extra". False for any
// other word, leaving *mode as it was.
inline bool ParseModeWord(std::string_view word, ModemMode* mode) {
    if (word == "modem-only") {
        *mode = ModemMode::ModemOnly;
    } else if (word == "extra") {
        *mode = ModemMode::ExtraFunctions;
    } else {
        return false;
    }
    return true;
}
