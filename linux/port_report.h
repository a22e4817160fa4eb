// The lines modemswitch writes about ports: why the search passed one over,
// which port the modem was found on (with its USB device), and ZTE or Huawei
// sticks that show no serial port at all. Whatever a device, another process
// or a modem chose to call itself is escaped before it reaches the terminal
// (ShownLine).
#pragma once

#include <string>
#include <vector>

#include "switch_host.h"
#include "usb_ports.h"
#include "vendors.h"

// Where the report looks: /sys and /proc, or a test's stand-ins.
struct ReportRoots {
    std::string sysfs;
    std::string proc;
};

// The USB vendor ids of the vendor table's rows, as the sysfs reader takes them.
comdev::ModemUsbIds KnownUsbIds();

// The run's candidate ports: the paths given, in their order, or else every
// USB serial port of devDir, those of a known maker's stick first; each with
// its USB device, read from sysfs once.
std::vector<comdev::PortCandidate> SearchCandidates(const std::vector<std::string>& given,
                                                    const std::string& devDir,
                                                    const std::string& sysfsRoot);

class PortReport {
public:
    // At most kMaxSearchPorts candidates are tried.
    PortReport(ReportRoots roots, std::vector<comdev::PortCandidate> candidates);

    // The candidates' paths, as a run's search list (SwitchRequest::ports).
    const comdev::PortNames& SearchList() const { return searchList_; }
    // The ports the search tries, in its order, each with its USB device.
    const std::vector<comdev::PortCandidate>& Candidates() const { return candidates_; }

    // "PATH: why." for a port the search passed over (its probe's failure
    // tells why one did not open).
    std::string PassedOver(const PortProbe& probe) const;
    // "The modem's port: PATH (12d1:1001 HUAWEI Mobile, interface 2)."
    std::string ModemPort(const std::string& path) const;
    // The known makers' sticks with no serial port, as sysfs shows them now.
    std::vector<comdev::StickWithoutPort> SticksWithoutPort() const;
    // Why no modem was found beyond the ports passed over: that there was no
    // serial port to try, and the sticks with no serial port.
    std::vector<std::string> NoModemReasons() const;
    // Who holds the port now, from the lock directory and /proc, without
    // opening it: "busy: held by process 812 (minicom)."; "" when nobody does.
    std::string HeldBy(const std::string& path) const;
    // The row of the vendor whose USB device the candidate port belongs to;
    // null for any other port.
    const Vendor* DeviceVendor(const std::string& path) const;
    // " (12d1:1506)" for a candidate on a USB device, escaped; "" for any other.
    std::string UsbIdSuffix(const std::string& path) const;

private:
    std::vector<std::string> SticksWithoutPortLines() const;
    std::string NotOpened(const PortProbe& probe) const;
    std::string Busy(const std::string& path, const comdev::OpenFailure& failure) const;
    const comdev::UsbIdentity* UsbOf(const std::string& path) const;

    ReportRoots roots_;
    std::vector<comdev::PortCandidate> candidates_;
    comdev::PortNames searchList_;
};
