// Asking a found modem about itself without changing it: its
// identification and the mode its vendor's query reports. For hosts that
// show a modem's state; a switch run sends none of this.
#pragma once

#include "switch_constants.h"
#include "vendors.h"

#include "com_device.h"

// Opens the named port (its I/O stopped by stop), sends the vendor's mode
// query and closes the port. True when the answer ended in OK and held a
// report of the mode; false when the port did not open, the modem answered
// ERROR, said nothing or left the report out (firmware without the query).
bool QueryMode(const char* name, const Vendor& vendor, comdev::StopToken* stop, ModeReport* report);

// The same, after "ATI": its answer (zero-terminated, empty if the modem
// did not complete it) goes to identification.
bool QueryStatus(const char* name, const Vendor& vendor, comdev::StopToken* stop,
                 char (&identification)[kAnswerBufferSize], ModeReport* report);
