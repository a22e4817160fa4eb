// The command line's JSON output: one object on one line, plain ASCII
// whatever its strings hold (a modem's answer, a device's name).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

// Bytes that are not UTF-8 become U+FFFD instead of an exception. Every
// character past ASCII is escaped, the C1 and bidirectional controls among
// them, and DEL with them, whatever the locale's codeset.
inline std::string JsonLine(const nlohmann::ordered_json& json) {
    std::string text = json.dump(-1, ' ', true, nlohmann::ordered_json::error_handler_t::replace);
    for (std::size_t at = text.find('\x7f'); at != std::string::npos; at = text.find('\x7f', at)) {
        text.replace(at, 1, "\\u007f");
    }
    return text + "\n";
}
