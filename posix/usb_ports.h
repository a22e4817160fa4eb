// What sysfs knows of the serial ports of USB sticks (Linux): the USB device
// and interface behind each ttyUSB/ttyACM, the order in which to try the
// ports, and the sticks of known makers that have no serial port at all.
// Every path is read under a given sysfs root (/sys, or a test's tree), and
// no link is followed out of it. Which makers are known is the caller's to
// say (its vendor table), so that their ids live in one place.
#pragma once

#include <string>
#include <vector>

namespace comdev {

constexpr char kDefaultSysfsRoot[] = "/sys";

// The USB vendor ids of the sticks the program switches, and the one maker
// among them whose sticks mark their AT port by the interface (protocol 02
// or "PC UI") and name their diagnostics port.
struct ModemUsbIds {
    std::vector<std::string> vendors;
    std::string marksAtPort;
};

struct UsbIdentity {
    std::string vendor;       // idVendor, four hex digits
    std::string product;      // idProduct
    std::string productName;  // the device's product string, as it sent it
    int interfaceNumber = -1;
    int interfaceClass = -1;
    int interfaceSubClass = -1;
    int interfaceProtocol = -1;
    std::string interfaceName;  // the interface's own string, often none
    std::string driver;         // the interface's driver: option, cdc_acm, qcserial...
};

// The tty a port path stands for: "ttyUSB2" for /dev/ttyUSB2, also through a
// link such as /dev/serial/by-id/...; "" when it is neither ttyUSB nor ttyACM.
std::string TtyNameOf(const std::string& portPath);

// What sysfsRoot says of the tty named ttyName; false when it is no USB port.
bool UsbIdentityOf(const std::string& sysfsRoot, const std::string& ttyName,
                   UsbIdentity* identity);

// Where a port stands in the search.
enum class PortRank {
    MarkedAtPort,       // its maker marks it as the AT port (protocol 02, or "PC UI")
    ModemVendorPort,    // another port of a known maker's stick
    OtherPort,          // no known maker's port, or sysfs does not say
    MarkedDiagnostics,  // its maker names it the diagnostics port: never answers AT
};
// null: sysfs does not know the port.
PortRank RankOf(const UsbIdentity* identity, const ModemUsbIds& known);

// A port the search may try: its path and the USB device behind it, read
// from sysfs once for the whole run.
struct PortCandidate {
    std::string path;
    bool usb = false;  // false: sysfs does not know it as a USB port
    UsbIdentity identity;
};

// The paths, in their order, each with what sysfsRoot says of it.
std::vector<PortCandidate> ReadCandidates(const std::vector<std::string>& paths,
                                          const std::string& sysfsRoot);
// The candidates in the order to try them: by rank, the given order within one.
std::vector<PortCandidate> OrderedByRank(std::vector<PortCandidate> candidates,
                                         const ModemUsbIds& known);

// A known maker's stick with no serial port at all, and why it has none.
struct StickWithoutPort {
    enum class Kind {
        StorageOnly,  // its CD drive only: still in CD-drive mode
        NetworkOnly,  // a network interface only: a HiLink or network-only stick
    };
    Kind kind;
    std::string vendor;
    std::string product;
    std::string productName;
    std::string driver;  // the network driver of a NetworkOnly stick
};
std::vector<StickWithoutPort> SticksWithoutPort(const std::string& sysfsRoot,
                                               const ModemUsbIds& known);

}  // namespace comdev
