#include "modem_status.h"

#include <algorithm>
#include <cstring>

#include "cli_texts.h"
#include "json_line.h"
#include "shown_text.h"

namespace {

struct LabelledLine {
    const char* label;
    std::string Identification::*field;
};

constexpr LabelledLine kIdentificationLines[] = {
    {"Manufacturer:", &Identification::manufacturer},
    {"Model:", &Identification::model},
    {"Revision:", &Identification::revision},
    {"IMEI:", &Identification::imei},
};

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

const char* ModeKey(ReportedMode mode) {
    switch (mode) {
    case ReportedMode::ModemOnly:
        return "modem-only";
    case ReportedMode::ExtraFunctions:
        return "extra";
    default:
        return "unknown";
    }
}

nlohmann::ordered_json StringOrNull(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

// The query without its line break, to name it in a line.
std::string QueryName(const char* modeQuery) {
    const std::string query = modeQuery;
    return query.substr(0, query.find_first_of("\r\n"));
}

}  // namespace

Identification ReadIdentification(const char* answer) {
    Identification found;
    const std::string text = answer;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string line = text.substr(start, end - start);
        for (const LabelledLine& labelled : kIdentificationLines) {
            if (line.rfind(labelled.label, 0) == 0) {
                found.*labelled.field = Trimmed(line.substr(std::strlen(labelled.label)));
            }
        }
        start = end + 1;
    }
    return found;
}

const Text& ModeWords(ReportedMode mode) {
    switch (mode) {
    case ReportedMode::ModemOnly:
        return kTextModeModemOnly;
    case ReportedMode::ExtraFunctions:
        return kTextModeExtraFunctions;
    default:
        return kTextModeUnknown;
    }
}

std::string ModeWithValue(const ModeReport& report, Language language) {
    return std::string(ModeWords(report.mode).In(language)) + " (" + ShownLine(report.raw) + ")";
}

std::string StatusText(const ModemStatus& status, bool showImei, Language language) {
    std::string text = kTextStatusPort.In(language) + ShownLine(status.port) + "\n";
    text += kTextStatusVendor.In(language) + std::string(status.vendor->name) + "\n";
    for (const LabelledLine& labelled : kIdentificationLines) {
        const std::string& value = status.identification.*labelled.field;
        if (value.empty() || (labelled.field == &Identification::imei && !showImei)) continue;
        text += std::string(labelled.label) + " " + ShownLine(value) + "\n";
    }
    text += kTextStatusMode.In(language);
    if (status.hiLink) {
        text += kTextModeHiLink.In(language) + (" (" + ShownLine(status.report.raw) + ")");
    } else {
        text += status.modeReported
                    ? ModeWithValue(status.report, language)
                    : kTextStatusNoReport.In(language) + QueryName(status.modeQuery);
    }
    return text + "\n";
}

std::string StatusJson(const ModemStatus& status, bool showImei) {
    const Identification& id = status.identification;
    nlohmann::ordered_json json = {
        {"port", status.port},
        {"vendor", status.vendor->name},
        {"manufacturer", StringOrNull(id.manufacturer)},
        {"model", StringOrNull(id.model)},
        {"revision", StringOrNull(id.revision)},
        {"mode", status.hiLink
                     ? "hilink"
                     : ModeKey(status.modeReported ? status.report.mode : ReportedMode::Unknown)},
        {"raw", status.modeReported ? nlohmann::ordered_json(status.report.raw) : nullptr},
    };
    if (showImei) json["imei"] = StringOrNull(id.imei);
    return JsonLine(json);
}
