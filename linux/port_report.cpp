#include "port_report.h"

#include <cstdio>
#include <cstring>

#include "cli_texts.h"
#include "com_device.h"
#include "language.h"
#include "port_holders.h"
#include "switch_constants.h"
#include "terminal_host.h"
#include "usb_ports.h"

namespace {

// How much of a name or an answer line a report line shows.
constexpr std::size_t kShownBytes = 80;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string HolderText(const PortHolder& holder) {
    const std::string pid = std::to_string(holder.pid);
    if (holder.modemManager) {
        return Tr(kTextPortHeldByModemManager) + pid + Tr(kTextStopModemManager);
    }
    return Tr(kTextPortHeldByProcess) + pid + " (" + Escaped(holder.name, kShownBytes) + ").";
}

}  // namespace

std::string Escaped(const char* bytes, std::size_t length, std::size_t limit) {
    std::string out;
    std::size_t i = 0;
    for (; i < length && out.size() < limit; ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            out += static_cast<char>(byte);
            continue;
        }
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02x", byte);
        out += code;
    }
    if (i < length) out += "...";
    return out;
}

std::string Escaped(const std::string& text, std::size_t limit) {
    return Escaped(text.data(), text.size(), limit);
}

std::string PortReport::PassedOver(const PortProbe& probe) const {
    std::string why;
    switch (probe.result) {
    case ProbeResult::NotOpened:
        why = NotOpened(probe);
        break;
    case ProbeResult::NoAnswer:
        why = Tr(kTextPortNoAnswer) + std::to_string(kProbeTimeoutMs) + Tr(kTextMilliseconds);
        break;
    case ProbeResult::NotAModem: {
        const AnswerLine line = FirstAnswerLine(probe.answer, probe.answerLength);
        why = Tr(kTextPortNotAModem) +
              Quoted(Escaped(line.text, static_cast<std::size_t>(line.length), kShownBytes)) + ".";
        break;
    }
    case ProbeResult::Modem:
        break;
    }
    return ShownPath(probe.name) + ": " + why + "\n";
}

std::string PortReport::NotOpened(const PortProbe& probe) const {
    switch (probe.failure.refusal) {
    case comdev::OpenRefusal::Absent:
        return Tr(kTextPortAbsent);
    case comdev::OpenRefusal::NotPermitted:
        return Tr(kTextPortNotPermitted);
    case comdev::OpenRefusal::Busy:
        return Busy(probe.name, probe.failure);
    case comdev::OpenRefusal::None:
    case comdev::OpenRefusal::Other:
        break;
    }
    return Tr(kTextPortDoesNotOpen) +
           std::string(std::strerror(probe.failure.error)) + ".";
}

namespace {

// What a lock file that stopped the port is, for the line that names it.
const Text& LockFileIs(comdev::LockObstacle obstacle) {
    using comdev::LockObstacle;
    switch (obstacle) {
    case LockObstacle::NoOwnerYet:
        return kTextLockNoOwnerYet;
    case LockObstacle::StaleNotRemoved:
        return kTextLockStaleNotRemoved;
    case LockObstacle::Symlink:
        return kTextLockSymlink;
    case LockObstacle::Fifo:
        return kTextLockFifo;
    case LockObstacle::Device:
        return kTextLockDevice;
    case LockObstacle::Directory:
        return kTextLockDirectory;
    case LockObstacle::Socket:
        return kTextLockSocket;
    case LockObstacle::TooLarge:
        return kTextLockTooLarge;
    case LockObstacle::Unreadable:
        return kTextLockUnreadable;
    case LockObstacle::Contended:
        return kTextLockContended;
    case LockObstacle::None:
    case LockObstacle::LiveOwner:  // whose process has ended since
        break;
    }
    return kTextLockNamesNoRunningProcess;
}

}  // namespace

// A lock file names the holder; without one, whoever has the device open.
std::string PortReport::Busy(const std::string& path, const comdev::OpenFailure& failure) const {
    const comdev::LockRefusal& lock = failure.lock;
    if (lock.obstacle != comdev::LockObstacle::None) {
        const PortHolder owner = RunningProcess(roots_.proc, lock.owner);
        if (lock.obstacle == comdev::LockObstacle::LiveOwner && owner.pid != 0) {
            return HolderText(owner);
        }
        return Tr(kTextPortLockInTheWay) + ShownPath(lock.path) +
               Tr(LockFileIs(lock.obstacle)) + Tr(kTextLockInTheWayAdvice);
    }
    const PortHolder holder = ProcessWithOpen(roots_.proc, path);
    return holder.pid != 0 ? HolderText(holder) : Tr(kTextPortHeldByUnknown);
}

std::string PortReport::ModemPort(const std::string& path) const {
    std::string line = Tr(kTextModemPort) + ShownPath(path);
    comdev::UsbIdentity usb;
    if (comdev::UsbIdentityOf(roots_.sysfs, comdev::TtyNameOf(path), &usb)) {
        line += " (" + Escaped(usb.vendor + ":" + usb.product, kShownBytes);
        if (!usb.productName.empty()) line += " " + Escaped(usb.productName, kShownBytes);
        line += Tr(kTextUsbInterface) + std::to_string(usb.interfaceNumber) + ")";
    }
    return line + ".\n";
}

const Vendor* PortReport::DeviceVendor(const std::string& path) const {
    struct UsbVendor {
        const char* id;
        ModemVendor vendor;
    };
    static constexpr UsbVendor kUsbVendors[] = {
        {comdev::kHuaweiVendor, ModemVendor::Huawei},
        {comdev::kZteVendor, ModemVendor::Zte},
    };
    comdev::UsbIdentity usb;
    if (!comdev::UsbIdentityOf(roots_.sysfs, comdev::TtyNameOf(path), &usb)) return nullptr;
    for (const UsbVendor& known : kUsbVendors) {
        if (usb.vendor == known.id) return &VendorOf(known.vendor);
    }
    return nullptr;
}

std::vector<std::string> PortReport::SticksWithoutPort() const {
    std::vector<std::string> lines;
    for (const comdev::StickWithoutPort& stick : comdev::SticksWithoutPort(roots_.sysfs)) {
        std::string line =
            Tr(kTextUsbDevice) + Escaped(stick.vendor + ":" + stick.product, kShownBytes);
        if (!stick.productName.empty()) line += " " + Escaped(stick.productName, kShownBytes);
        if (stick.kind == comdev::StickWithoutPort::Kind::StorageOnly) {
            line += Tr(kTextStickInCdMode);
        } else {
            line += Tr(kTextStickNetworkOnly) + stick.driver + Tr(kTextStickHasNoAtPort);
        }
        lines.push_back(line + "\n");
    }
    return lines;
}
