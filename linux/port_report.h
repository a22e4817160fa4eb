// The lines modemswitch writes about ports: why the search passed one over,
// which port the modem was found on (with its USB device), and ZTE or Huawei
// sticks that show no serial port at all. Whatever a device, another process
// or a modem chose to call itself is escaped before it reaches the terminal
// (ShownLine).
#pragma once

#include <string>
#include <vector>

#include "switch_host.h"
#include "vendors.h"

// Where the report looks: /sys and /proc, or a test's stand-ins.
struct ReportRoots {
    std::string sysfs;
    std::string proc;
};

class PortReport {
public:
    explicit PortReport(ReportRoots roots) : roots_(std::move(roots)) {}

    // "PATH: why." for a port the search passed over (its probe's failure
    // tells why one did not open).
    std::string PassedOver(const PortProbe& probe) const;
    // "The modem's port: PATH (12d1:1001 HUAWEI Mobile, interface 2)."
    std::string ModemPort(const std::string& path) const;
    // One line for each ZTE or Huawei stick with no serial port.
    std::vector<std::string> SticksWithoutPort() const;
    // The row of the vendor whose USB device (ZTE or Huawei) the port belongs
    // to, as sysfs tells it; null for any other port.
    const Vendor* DeviceVendor(const std::string& path) const;

private:
    std::string NotOpened(const PortProbe& probe) const;
    std::string Busy(const std::string& path, const comdev::OpenFailure& failure) const;

    ReportRoots roots_;
};
