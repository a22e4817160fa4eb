// A sysfs tree laid out as Linux lays out USB sticks, for tests and the
// benchmark, built from a short description, one line each:
//   device NAME VENDOR PRODUCT [PRODUCT STRING...]
//   interface NUMBER CLASS SUBCLASS PROTOCOL DRIVER TTY|- [INTERFACE STRING...]
// (numbers in hexadecimal as sysfs writes them; an interface belongs to the
// device above it; TTY is ttyUSBn, a usb-serial port, or ttyACMn; '#' starts
// a comment). The fixtures in linux/tests/sysfs/ are such descriptions.
#pragma once

#include <string>

// Builds the tree under root (created if missing); false with a reason.
bool BuildFakeSysfs(const std::string& description, const std::string& root, std::string* error);

// The whole text of a fixture file ("" if it cannot be read).
std::string ReadFixture(const std::string& path);
