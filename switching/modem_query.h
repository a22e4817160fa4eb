// Asking a found modem about itself without changing it: the mode its
// vendor's query reports, on the port a session holds. For the guard before
// a switch and for hosts that show a modem's state.
#pragma once

#include "comport.h"
#include "vendors.h"

// Drops pending input, sends the vendor's mode query (when the modem refuses
// it, the query of the row a refused switch goes on with). True when the
// answer ended in OK and held a report of the mode; false when the port is
// closed, the modem answered ERROR, said nothing or left the report out
// (firmware without the query).
bool QueryModeOn(ComPort* port, const Vendor& vendor, ModeReport* report);
