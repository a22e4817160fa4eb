#include "usb_ports.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "small_files.h"

namespace comdev {
namespace {

// Bounds every directory walk: a real machine has far fewer entries.
constexpr std::size_t kMaxDirEntries = 4096;

constexpr const char* kNetworkDrivers[] = {"cdc_ether", "rndis_host", "cdc_ncm"};
constexpr char kStorageDriver[] = "usb-storage";

bool StartsWith(const std::string& text, const char* start) {
    return text.compare(0, std::strlen(start), start) == 0;
}

bool IsTtyName(const std::string& name) {
    for (const char* stem : {"ttyUSB", "ttyACM"}) {
        const std::size_t length = std::strlen(stem);
        if (name.size() > length && StartsWith(name, stem) &&
            std::all_of(name.begin() + static_cast<long>(length), name.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
            return true;
        }
    }
    return false;
}

bool ContainsIgnoringCase(const std::string& text, const char* part) {
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(part) != std::string::npos;
}

std::string Parent(const std::string& path) { return path.substr(0, path.find_last_of('/')); }

// A sysfs number in hexadecimal ("ff", "02"), or -1.
int HexAttribute(const std::string& dir, const char* name) {
    const std::string text = ReadLine(dir + "/" + name);
    if (text.empty()) return -1;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 16);
    return *end == '\0' && value >= 0 && value <= 0xffff ? static_cast<int>(value) : -1;
}

bool IsInterfaceDir(const std::string& dir) { return HexAttribute(dir, "bInterfaceNumber") >= 0; }

// The USB interface behind a tty: its device link leads to the interface
// itself (ttyACM) or to a usb-serial port inside it (ttyUSB). "" if neither.
std::string InterfaceDirOf(const std::string& root, const std::string& ttyName) {
    const std::string device = ResolvedInside(root, root + "/class/tty/" + ttyName + "/device");
    if (device.empty()) return "";
    if (IsInterfaceDir(device)) return device;
    const std::string parent = Parent(device);
    return parent.size() > root.size() && IsInterfaceDir(parent) ? parent : "";
}

// The name of the driver bound to an interface, or "".
std::string DriverOf(const std::string& interfaceDir) {
    char target[PATH_MAX];
    const ssize_t length = readlink((interfaceDir + "/driver").c_str(), target, sizeof target - 1);
    if (length <= 0) return "";
    return BaseName(std::string(target, static_cast<std::size_t>(length)));
}

bool HasTty(const std::string& interfaceDir) {
    bool found = false;
    ForEachEntry(interfaceDir, kMaxDirEntries, [&](const std::string& name) {
        found = name == "tty" || IsTtyName(name);
        return !found;
    });
    return found;
}

bool IsModemVendor(const std::string& vendor, const ModemUsbIds& known) {
    return std::find(known.vendors.begin(), known.vendors.end(), vendor) != known.vendors.end();
}

// What one stick without a tty is, from the drivers of its interfaces;
// false when it is neither in CD-drive mode nor network-only.
bool ClassifyWithoutPort(const std::vector<std::string>& drivers, StickWithoutPort* stick) {
    for (const std::string& driver : drivers) {
        for (const char* network : kNetworkDrivers) {
            if (driver == network) {
                stick->kind = StickWithoutPort::Kind::NetworkOnly;
                stick->driver = driver;
                return true;
            }
        }
    }
    const bool anyStorage = std::count(drivers.begin(), drivers.end(), kStorageDriver) > 0;
    const bool onlyStorage = std::all_of(drivers.begin(), drivers.end(), [](const std::string& d) {
        return d.empty() || d == kStorageDriver;
    });
    stick->kind = StickWithoutPort::Kind::StorageOnly;
    return anyStorage && onlyStorage;
}

// The stick at deviceDir (named name in sysfs), if it has no tty.
bool InspectStick(const std::string& deviceDir, const std::string& name, StickWithoutPort* stick) {
    std::vector<std::string> drivers;
    bool anyTty = false;
    ForEachEntry(deviceDir, kMaxDirEntries, [&](const std::string& entry) {
        if (!StartsWith(entry, (name + ":").c_str())) return true;
        const std::string interfaceDir = deviceDir + "/" + entry;
        drivers.push_back(DriverOf(interfaceDir));
        anyTty = anyTty || HasTty(interfaceDir);
        return true;
    });
    return !anyTty && !drivers.empty() && ClassifyWithoutPort(drivers, stick);
}

}  // namespace

std::string TtyNameOf(const std::string& portPath) {
    const std::string name = BaseName(portPath);
    if (IsTtyName(name)) return name;
    const std::string resolved = BaseName(CanonicalPath(portPath));
    return IsTtyName(resolved) ? resolved : "";
}

bool UsbIdentityOf(const std::string& sysfsRoot, const std::string& ttyName,
                   UsbIdentity* identity) {
    const std::string root = CanonicalPath(sysfsRoot);
    if (root.empty() || !IsTtyName(ttyName)) return false;
    const std::string interfaceDir = InterfaceDirOf(root, ttyName);
    if (interfaceDir.empty()) return false;
    const std::string deviceDir = Parent(interfaceDir);
    UsbIdentity found;
    found.vendor = ReadLine(deviceDir + "/idVendor");
    found.product = ReadLine(deviceDir + "/idProduct");
    if (deviceDir.size() <= root.size() || found.vendor.empty()) return false;
    found.productName = ReadLine(deviceDir + "/product");
    found.interfaceNumber = HexAttribute(interfaceDir, "bInterfaceNumber");
    found.interfaceClass = HexAttribute(interfaceDir, "bInterfaceClass");
    found.interfaceSubClass = HexAttribute(interfaceDir, "bInterfaceSubClass");
    found.interfaceProtocol = HexAttribute(interfaceDir, "bInterfaceProtocol");
    found.interfaceName = ReadLine(interfaceDir + "/interface");
    found.driver = DriverOf(interfaceDir);
    *identity = found;
    return true;
}

PortRank RankOf(const UsbIdentity* identity, const ModemUsbIds& known) {
    if (identity == nullptr || !IsModemVendor(identity->vendor, known)) return PortRank::OtherPort;
    if (identity->vendor == known.marksAtPort) {
        if (ContainsIgnoringCase(identity->interfaceName, "application interface") ||
            ContainsIgnoringCase(identity->interfaceName, "diagnostic")) {
            return PortRank::MarkedDiagnostics;
        }
        if (identity->interfaceProtocol == 0x02 ||
            identity->interfaceName.find("PC UI") != std::string::npos) {
            return PortRank::MarkedAtPort;
        }
    }
    return PortRank::ModemVendorPort;
}

std::vector<PortCandidate> ReadCandidates(const std::vector<std::string>& paths,
                                          const std::string& sysfsRoot) {
    std::vector<PortCandidate> candidates;
    for (const std::string& path : paths) {
        PortCandidate candidate{path, false, {}};
        candidate.usb = UsbIdentityOf(sysfsRoot, TtyNameOf(path), &candidate.identity);
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

std::vector<PortCandidate> OrderedByRank(std::vector<PortCandidate> candidates,
                                         const ModemUsbIds& known) {
    const auto rank = [&known](const PortCandidate& c) {
        return RankOf(c.usb ? &c.identity : nullptr, known);
    };
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&rank](const PortCandidate& a, const PortCandidate& b) {
                         return rank(a) < rank(b);
                     });
    return candidates;
}

std::vector<StickWithoutPort> SticksWithoutPort(const std::string& sysfsRoot,
                                               const ModemUsbIds& known) {
    const std::string root = CanonicalPath(sysfsRoot);
    if (root.empty()) return {};
    const std::string devicesDir = root + "/bus/usb/devices";
    std::vector<std::pair<std::string, StickWithoutPort>> found;
    ForEachEntry(devicesDir, kMaxDirEntries, [&](const std::string& name) {
        // Interfaces carry a colon, root hubs are "usbN".
        if (name.find(':') != std::string::npos || StartsWith(name, "usb")) return true;
        const std::string deviceDir = ResolvedInside(root, devicesDir + "/" + name);
        if (deviceDir.empty()) return true;
        StickWithoutPort stick{};
        stick.vendor = ReadLine(deviceDir + "/idVendor");
        if (!IsModemVendor(stick.vendor, known) || !InspectStick(deviceDir, name, &stick)) return true;
        stick.product = ReadLine(deviceDir + "/idProduct");
        stick.productName = ReadLine(deviceDir + "/product");
        found.emplace_back(name, stick);
        return true;
    });
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<StickWithoutPort> sticks;
    for (auto& entry : found) sticks.push_back(std::move(entry.second));
    return sticks;
}

}  // namespace comdev
