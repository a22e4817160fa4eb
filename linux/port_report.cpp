#include "port_report.h"

#include <cstring>

#include "cli_texts.h"
#include "com_device.h"
#include "port_holders.h"
#include "shown_text.h"
#include "port_paths.h"
#include "switch_constants.h"
#include "uucp_lock.h"

namespace {

// How much of a name or an answer line a report line shows.
constexpr std::size_t kShownBytes = 80;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string HolderText(const PortHolder& holder) {
    const std::string pid = std::to_string(holder.pid);
    if (holder.modemManager) {
        return Tr(kTextPortHeldByModemManager) + pid + Tr(kTextStopModemManager);
    }
    return Tr(kTextPortHeldByProcess) + pid + " (" + ShownLine(holder.name, kShownBytes) + ").";
}

}  // namespace

comdev::ModemUsbIds KnownUsbIds() {
    comdev::ModemUsbIds known;
    for (const Vendor* vendor : kKnownVendors) known.vendors.push_back(vendor->usbVendor);
    known.marksAtPort = kHuaweiVendor.usbVendor;
    return known;
}

std::vector<comdev::PortCandidate> SearchCandidates(const std::vector<std::string>& given,
                                                    const std::string& devDir,
                                                    const std::string& sysfsRoot) {
    if (!given.empty()) return comdev::ReadCandidates(given, sysfsRoot);
    return comdev::OrderedByRank(comdev::ReadCandidates(comdev::ScanPortPaths(devDir), sysfsRoot),
                                 KnownUsbIds());
}

PortReport::PortReport(ReportRoots roots, std::vector<comdev::PortCandidate> candidates)
    : roots_(std::move(roots)), candidates_(std::move(candidates)) {
    if (candidates_.size() > static_cast<std::size_t>(comdev::kMaxSearchPorts)) {
        candidates_.resize(comdev::kMaxSearchPorts);
    }
    for (const comdev::PortCandidate& candidate : candidates_) {
        searchList_.Add(candidate.path.c_str());
    }
}

const comdev::UsbIdentity* PortReport::UsbOf(const std::string& path) const {
    for (const comdev::PortCandidate& candidate : candidates_) {
        if (candidate.path == path) return candidate.usb ? &candidate.identity : nullptr;
    }
    return nullptr;
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
        const std::string_view text(line.text, static_cast<std::size_t>(line.length));
        why = Tr(kTextPortNotAModem) + Quoted(ShownLine(text, kShownBytes)) + ".";
        break;
    }
    case ProbeResult::Modem:
        break;
    }
    return ShownLine(probe.name) + ": " + why + "\n";
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
        return Tr(kTextPortLockInTheWay) + ShownLine(lock.path) + Tr(LockFileIs(lock.obstacle)) +
               Tr(kTextLockInTheWayAdvice);
    }
    const PortHolder holder = ProcessWithOpen(roots_.proc, path);
    return holder.pid != 0 ? HolderText(holder) : Tr(kTextPortHeldByUnknown);
}

std::string PortReport::ModemPort(const std::string& path) const {
    std::string line = Tr(kTextModemPort) + ShownLine(path);
    if (const comdev::UsbIdentity* usb = UsbOf(path)) {
        line += " (" + ShownLine(usb->vendor + ":" + usb->product, kShownBytes);
        if (!usb->productName.empty()) line += " " + ShownLine(usb->productName, kShownBytes);
        line += Tr(kTextUsbInterface) + std::to_string(usb->interfaceNumber) + ")";
    }
    return line + ".\n";
}

std::string PortReport::UsbIdSuffix(const std::string& path) const {
    const comdev::UsbIdentity* usb = UsbOf(path);
    if (usb == nullptr) return "";
    return " (" + ShownLine(usb->vendor + ":" + usb->product, kShownBytes) + ")";
}

const Vendor* PortReport::DeviceVendor(const std::string& path) const {
    const comdev::UsbIdentity* usb = UsbOf(path);
    if (usb == nullptr) return nullptr;
    for (const Vendor* vendor : kKnownVendors) {
        if (usb->vendor == vendor->usbVendor) return vendor;
    }
    return nullptr;
}

std::string PortReport::HeldBy(const std::string& path) const {
    comdev::OpenFailure failure;
    failure.lock = comdev::ReadUucpLock(comdev::LockDirectory(), path);
    if (failure.lock.obstacle != comdev::LockObstacle::None) return Busy(path, failure);
    const PortHolder holder = ProcessWithOpen(roots_.proc, path);
    return holder.pid != 0 ? HolderText(holder) : "";
}

std::vector<std::string> PortReport::NoModemReasons() const {
    std::vector<std::string> lines;
    if (candidates_.empty()) lines.push_back(Tr(kTextNoSerialPorts));
    for (std::string& line : SticksWithoutPortLines()) lines.push_back(std::move(line));
    return lines;
}

std::vector<comdev::StickWithoutPort> PortReport::SticksWithoutPort() const {
    return comdev::SticksWithoutPort(roots_.sysfs, KnownUsbIds());
}

// One line for each known maker's stick with no serial port.
std::vector<std::string> PortReport::SticksWithoutPortLines() const {
    std::vector<std::string> lines;
    for (const comdev::StickWithoutPort& stick : SticksWithoutPort()) {
        std::string line =
            Tr(kTextUsbDevice) + ShownLine(stick.vendor + ":" + stick.product, kShownBytes);
        if (!stick.productName.empty()) line += " " + ShownLine(stick.productName, kShownBytes);
        if (stick.kind == comdev::StickWithoutPort::Kind::StorageOnly) {
            line += Tr(kTextStickInCdMode);
        } else {
            line += Tr(kTextStickNetworkOnly) + stick.driver + Tr(kTextStickHasNoAtPort);
        }
        lines.push_back(line + "\n");
    }
    return lines;
}
