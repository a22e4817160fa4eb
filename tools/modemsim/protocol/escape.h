// Byte-text conversions shared by the simulator and its Windows-side client:
// percent escapes in port configs, hex in control replies, readable log text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

// Decodes every %XX (two hex digits) to its byte; nullopt on a broken escape.
std::optional<std::string> PercentDecode(std::string_view text);

// Lower-case hex, two digits per byte.
std::string HexEncode(std::string_view bytes);

// Inverse of HexEncode (either case); nullopt on odd length or a non-hex digit.
std::optional<std::string> HexDecode(std::string_view hex);

// Printable ASCII as is, everything else as \r, \n or \xNN.
std::string Printable(std::string_view bytes);

}  // namespace modemsim
