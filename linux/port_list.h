// What `modemswitch list` shows: every port the search would try, in the
// order it would try them, with the USB device behind each and who holds it
// now. No port is opened and nothing is sent to any.
#pragma once

#include <string>

#include "port_report.h"

// A numbered line per port (the first is the one tried first), or why there
// is none; then the known makers' sticks that have no serial port.
std::string PortListText(const PortReport& report);
// One line: {"ports": [{"port", "first", "exists", "mayOpen" (this user may
// open it), "usb" (null for a port that is not
// a USB one: id, product, interface, interfaceName, driver), "vendor",
// "heldBy" (null when free, else why, in the output's language)}],
// "sticksWithoutPort": [{"id", "product", "kind" ("cd-drive" or
// "network-only"), "driver"}]}.
std::string PortListJson(const PortReport& report);
