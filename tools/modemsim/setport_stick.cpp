#include "setport_stick.h"

#include <algorithm>
#include <set>
#include <vector>

namespace modemsim {
namespace {

const SetportFirmware kE3372{
    "A1,A2;12,10,16,A1,A2",
    "^SETPORT:A1: CDROM\r\n^SETPORT:A2: SD\r\n^SETPORT:10: 4G MODEM\r\n"
    "^SETPORT:12: 4G PCUI\r\n^SETPORT:13: 4G DIAG\r\n^SETPORT:14: 4G GPS\r\n"
    "^SETPORT:16: 4G NCM\r\n",
    "12",
    true,
    "Manufacturer: huawei\r\nModel: E3372\r\nRevision: 22.200.15.00.00\r\n"
    "IMEI: 867223026123451\r\n+GCAP: +CGSM,+DS,+ES",
};
const SetportFirmware kE3372h{
    "A1,A2;12,1,16,A1,A2",
    "^SETPORT:A1: CDROM\r\n^SETPORT:A2: SD\r\n^SETPORT:1: MODEM\r\n"
    "^SETPORT:12: 4G PCUI\r\n^SETPORT:13: 4G DIAG\r\n^SETPORT:14: 4G GPS\r\n"
    "^SETPORT:16: 4G NCM\r\n",
    "12",
    true,
    "Manufacturer: huawei\r\nModel: E3372h-153\r\nRevision: 21.180.01.00.00\r\n"
    "IMEI: 867223026123469\r\n+GCAP: +CGSM,+DS,+ES",
};
const SetportFirmware kE3131{
    "A1,A2;1,3,2,A1,A2",
    "^SETPORT:A1: CDROM\r\n^SETPORT:A2: SD\r\n^SETPORT:1: 3G MODEM\r\n"
    "^SETPORT:2: 3G PCUI\r\n^SETPORT:3: 3G DIAG\r\n^SETPORT:5: 3G GPS\r\n"
    "^SETPORT:7: 3G NDIS\r\n^SETPORT:16: NCM\r\n",
    "2",
    false,
    "Manufacturer: huawei\r\nModel: E3131\r\nRevision: 21.158.13.00.00\r\n"
    "IMEI: 861234012345672\r\n+GCAP: +CGSM,+DS,+ES",
};

// The diagnostics and GPS ports, which only the vendor's password may change.
const std::set<std::string> kGuardedCodes = {"3", "5", "13", "14"};

std::vector<std::string> Codes(const std::string& list) {
    std::vector<std::string> codes;
    if (list.empty()) return codes;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(',', start);
        codes.push_back(list.substr(start, end - start));
        if (end == std::string::npos) return codes;
        start = end + 1;
    }
}

std::string WorkingSet(const std::string& value) {
    const std::size_t separator = value.find(';');
    return separator == std::string::npos ? std::string() : value.substr(separator + 1);
}

std::set<std::string> Guarded(const std::vector<std::string>& codes) {
    std::set<std::string> guarded;
    for (const std::string& code : codes) {
        if (kGuardedCodes.count(code) != 0) guarded.insert(code);
    }
    return guarded;
}

bool CdAndSdLast(const std::vector<std::string>& codes) {
    bool storageSeen = false;
    for (const std::string& code : codes) {
        const bool storage = code == "A1" || code == "A2";
        if (storageSeen && !storage) return false;
        storageSeen = storageSeen || storage;
    }
    return true;
}

}  // namespace

bool IsSetportStick(Base base) {
    return base == Base::E3372 || base == Base::E3372h || base == Base::E3131;
}

const SetportFirmware& FirmwareOf(Base base) {
    return base == Base::E3372 ? kE3372 : base == Base::E3372h ? kE3372h : kE3131;
}

bool SetportAccepts(const std::string& value, const std::string& stored,
                    const SetportFirmware& firmware) {
    if (value == stored) return true;
    if (value.find_first_not_of("01234567ABDEF,;") != std::string::npos) return false;
    const std::size_t separator = value.find(';');
    if (separator == std::string::npos || value.find(';', separator + 1) != std::string::npos) {
        return false;
    }
    const std::string first = value.substr(0, separator);
    if (first != "A1" && first != "A1,A2" && first != "FF") return false;
    const std::vector<std::string> codes = Codes(WorkingSet(value));
    const std::set<std::string> distinct(codes.begin(), codes.end());
    if (distinct.size() != codes.size() || distinct.count("") != 0) return false;
    if (distinct.count(firmware.pcUi) == 0 || !CdAndSdLast(codes)) return false;
    if (Guarded(codes) != Guarded(Codes(WorkingSet(stored)))) return false;
    return !firmware.fourG || distinct.count("11") + distinct.count("16") == 1;
}

}  // namespace modemsim
