// What sysfs knows of the serial ports of USB sticks (Linux): the USB device
// and interface behind each ttyUSB/ttyACM, the order in which to try the
// ports, and ZTE or Huawei sticks that have no serial port at all. Every
// path is read under a given sysfs root (/sys, or a test's tree), and no link
// is followed out of it.
#pragma once

#include <string>
#include <vector>

namespace comdev {

constexpr char kDefaultSysfsRoot[] = "/sys";
constexpr char kHuaweiVendor[] = "12d1";
constexpr char kZteVendor[] = "19d2";

struct UsbIdentity {
    std::string vendor;       // idVendor, four hex digits
    std::string product;      // idProduct
    std::string productName;  // the device's product string, as it sent it
    int interfaceNumber = -1;
    int interfaceClass = -1;
    int interfaceSubClass = -1;
    int interfaceProtocol = -1;
    std::string interfaceName;  // the interface's own string, often none
};

// The tty a port path stands for: "ttyUSB2" for /dev/ttyUSB2, also through a
// link such as /dev/serial/by-id/...; "" when it is neither ttyUSB nor ttyACM.
std::string TtyNameOf(const std::string& portPath);

// What sysfsRoot says of the tty named ttyName; false when it is no USB port.
bool UsbIdentityOf(const std::string& sysfsRoot, const std::string& ttyName,
                   UsbIdentity* identity);

// Where a port stands in the search.
enum class PortRank {
    HuaweiAtPort,       // Huawei marks it as its AT port (protocol 02, or "PC UI")
    ModemVendorPort,    // another port of a ZTE or Huawei stick
    OtherPort,          // not a ZTE or Huawei port, or sysfs does not say
    HuaweiDiagnostics,  // Huawei's diagnostics port: never answers AT
};
PortRank RankOf(const UsbIdentity* identity);  // null: sysfs does not know the port

// The paths in the order to try them: by rank, the given order within one.
std::vector<std::string> OrderedBySysfs(const std::vector<std::string>& paths,
                                        const std::string& sysfsRoot);

// A ZTE or Huawei stick with no serial port at all, and why it has none.
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
std::vector<StickWithoutPort> SticksWithoutPort(const std::string& sysfsRoot);

}  // namespace comdev
