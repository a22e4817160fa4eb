// What `modemswitch status` tells about a modem, as plain lines in the
// locale's language or as one JSON object. Every string from the modem is
// hostile: the lines make its control bytes harmless, the JSON escapes them
// and replaces bytes that are not UTF-8.
#pragma once

#include <string>

#include "text.h"
#include "vendors.h"

// The identification lines the status shows, their values without the
// label; empty when the modem left a line out.
struct Identification {
    std::string manufacturer;
    std::string model;
    std::string revision;
    std::string imei;  // identifies the subscriber's device: shown only on request
};

// Reads "Manufacturer: ...", "Model: ...", "Revision: ..." and "IMEI: ..."
// lines from an ATI answer.
Identification ReadIdentification(const char* answer);

struct ModemStatus {
    std::string port;  // the device path
    const Vendor* vendor;
    Identification identification;
    bool modeReported;  // false: the query drew ERROR or silence
    ModeReport report;
    const char* modeQuery;  // the query named when no mode was reported
    bool hiLink = false;    // the reported value is one only HiLink firmware reports
};

std::string StatusText(const ModemStatus& status, bool showImei, Language language);
// Keys: port, vendor, manufacturer, model, revision (null when absent),
// mode ("modem-only", "extra" or "unknown"), raw (null when not reported)
// and, with showImei, imei. One line.
std::string StatusJson(const ModemStatus& status, bool showImei);

// The mode in words, and with the modem's own value: «Только модем» (^U2DIAG: 0).
const Text& ModeWords(ReportedMode mode);
std::string ModeWithValue(const ModeReport& report, Language language);
