// The checks of the shipped program that need no Windows to run it: file
// format, subsystem, security flags, imports against an allow-list, the
// resources it carries and its texts.
#pragma once

#include "pe_image.h"

#include <istream>
#include <set>
#include <string>
#include <vector>

namespace pe {

// "DLL!Function" entries, one a line; '#' starts a comment. DLL names compare
// without regard to case, as Windows looks them up; function names exactly.
class AllowList {
public:
    // False with a reason (line number) on a line that is not an entry.
    bool Parse(std::istream& in, std::string& error);

    bool HasDll(const std::string& dll) const;
    bool Has(const std::string& dll, const std::string& function) const;
    size_t size() const { return entries_.size(); }

private:
    std::set<std::string> dlls_;
    std::set<std::string> entries_;
};

// What the program must carry. Texts are UTF-8 here; the program holds the
// caption as UTF-16 in its dialog template and the other texts as
// Windows-1251 bytes.
struct ExpectedTexts {
    std::string dialogCaption;
    std::vector<std::string> programTexts;
};

struct CheckResult {
    std::string title;
    bool passed = false;
    std::string detail;
};

std::vector<CheckResult> CheckProgram(const Image& image, const std::vector<uint8_t>& file,
                                      const AllowList& allowed, const ExpectedTexts& texts);

}  // namespace pe
