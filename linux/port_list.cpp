#include "port_list.h"

#include <unistd.h>

#include <cerrno>

#include "cli_texts.h"
#include "json_line.h"
#include "shown_text.h"

namespace {

// How much of a device's own name a line shows.
constexpr std::size_t kShownBytes = 80;

std::string UsbText(const comdev::UsbIdentity& usb) {
    std::string text = ShownLine(usb.vendor + ":" + usb.product, kShownBytes);
    if (!usb.productName.empty()) text += " " + ShownLine(usb.productName, kShownBytes);
    text += Tr(kTextUsbInterface) + std::to_string(usb.interfaceNumber);
    if (!usb.interfaceName.empty()) text += " \"" + ShownLine(usb.interfaceName, kShownBytes) + "\"";
    if (!usb.driver.empty()) text += Tr(kTextUsbDriver) + ShownLine(usb.driver, kShownBytes);
    return text;
}

// A path this user cannot reach (a folder on the way closed to it) may well
// be there: only "no such file" says it is not.
bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0 || (errno != ENOENT && errno != ENOTDIR);
}
// Whether this user may open the port (by the real user, as the program
// runs it): asked without opening it.
bool MayOpen(const std::string& path) { return access(path.c_str(), R_OK | W_OK) == 0; }

// "12d1:1436 HUAWEI Mobile, interface 4, driver option; free.", or why the
// port cannot be used.
std::string PortText(const PortReport& report, const comdev::PortCandidate& port) {
    if (!Exists(port.path)) return Tr(kTextPortAbsent);
    std::string text = port.usb ? UsbText(port.identity) : std::string(Tr(kTextNotUsbPort));
    const std::string heldBy = report.HeldBy(port.path);
    if (!heldBy.empty()) return text + "; " + heldBy;
    return text + "; " + (MayOpen(port.path) ? Tr(kTextPortFree) : Tr(kTextPortNotPermitted));
}

nlohmann::ordered_json UsbJson(const comdev::PortCandidate& port) {
    if (!port.usb) return nullptr;
    const comdev::UsbIdentity& usb = port.identity;
    return {{"id", usb.vendor + ":" + usb.product},
            {"product", usb.productName},
            {"interface", usb.interfaceNumber},
            {"interfaceName", usb.interfaceName},
            {"driver", usb.driver}};
}

nlohmann::ordered_json NullIfEmpty(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

}  // namespace

std::string PortListText(const PortReport& report) {
    std::string text;
    int number = 0;
    for (const comdev::PortCandidate& port : report.Candidates()) {
        text += std::to_string(++number) + ". " + ShownLine(port.path) + ": " + PortText(report, port) +
                "\n";
    }
    if (number > 0) text = Tr(kTextListHeader) + text;
    for (const std::string& line : report.NoModemReasons()) text += line;
    return text;
}

std::string PortListJson(const PortReport& report) {
    nlohmann::ordered_json ports = nlohmann::ordered_json::array();
    for (const comdev::PortCandidate& port : report.Candidates()) {
        const Vendor* vendor = report.DeviceVendor(port.path);
        ports.push_back({{"port", port.path},
                         {"first", ports.empty()},
                         {"exists", Exists(port.path)},
                         {"mayOpen", MayOpen(port.path)},
                         {"usb", UsbJson(port)},
                         {"vendor", vendor != nullptr ? nlohmann::ordered_json(vendor->name) : nullptr},
                         {"heldBy", NullIfEmpty(report.HeldBy(port.path))}});
    }
    nlohmann::ordered_json sticks = nlohmann::ordered_json::array();
    for (const comdev::StickWithoutPort& stick : report.SticksWithoutPort()) {
        const bool cdDrive = stick.kind == comdev::StickWithoutPort::Kind::StorageOnly;
        sticks.push_back({{"id", stick.vendor + ":" + stick.product},
                          {"product", stick.productName},
                          {"kind", cdDrive ? "cd-drive" : "network-only"},
                          {"driver", NullIfEmpty(stick.driver)}});
    }
    return JsonLine({{"ports", ports}, {"sticksWithoutPort", sticks}});
}
