// What a terminal is shown of bytes this program did not choose: a modem's
// answer, a device or lock path, the name a process or a USB device gave
// itself, a user's argument echoed in a message. Printable UTF-8 text is
// shown as it is. What could steer a terminal or hide text is shown as a
// visible escape instead: C0 controls and DEL ("\x1b"), C1 controls as raw
// bytes ("\x9b") or as U+0080..U+009F ("\u009b"), bidirectional controls
// ("\u202e") and bytes that are not well-formed UTF-8 ("\xff").
//
// Where the output must be ASCII (a locale whose codeset is not UTF-8 and
// not converted into), every other character past ASCII is an escape too
// ("\u041f"): a UTF-8 sequence sent raw to a terminal that reads single
// bytes holds C1 controls ("ћ" is D1 9B, a CSI there).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class ShownLayout {
    Log,      // the run's log: line feeds and tabs kept, carriage returns dropped
    OneLine,  // a value within a line: line feeds, tabs and carriage returns escaped
};

inline constexpr std::size_t kWholeText = static_cast<std::size_t>(-1);

struct ShownForm {
    ShownLayout layout = ShownLayout::OneLine;
    bool asciiOnly = false;
    // At most this many bytes shown, then "..." if any are left; an escape
    // or a character is never cut.
    std::size_t limit = kWholeText;
};

std::string Shown(std::string_view bytes, const ShownForm& form);

// One line in the form this run's output takes (ASCII only when the
// locale's output is, OutputIsAscii).
std::string ShownLine(std::string_view bytes, std::size_t limit = kWholeText);
