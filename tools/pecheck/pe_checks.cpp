// Each check reads the image and says in one line what it saw.
#include "pe_checks.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace pe {
namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", digits, value);
    return text;
}

// Converts between character sets through the C library; false if a
// character has no counterpart in the target set.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input = in;
    out.assign(input.size() * 4 + 4, '\0');
    char* inAt = input.data();
    char* outAt = out.data();
    size_t inLeft = input.size(), outLeft = out.size();
    const bool converted =
        iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return converted && inLeft == 0;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    std::string utf8;
    return Convert("UTF-8", "UTF-16LE", bytes, utf8) ? utf8 : "(not valid UTF-16)";
}

bool Contains(const std::vector<uint8_t>& file, const std::string& text) {
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    return std::search(file.begin(), file.end(), bytes.begin(), bytes.end()) != file.end();
}

std::string Join(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) joined += (joined.empty() ? "" : ", ") + item;
    return joined;
}

CheckResult Check(const std::string& title, bool passed, const std::string& detail) {
    return {title, passed, detail};
}

const Resource* FindResource(const Image& image, uint32_t type, uint32_t id = 0) {
    for (const Resource& resource : image.resources)
        if (resource.type == type && (id == 0 || resource.id == id)) return &resource;
    return nullptr;
}

CheckResult CheckFormat(const Image& image) {
    return Check(
        "PE32 for i386", image.machine == kMachineI386 && image.magic == kMagicPe32,
        "machine " + Hex(image.machine, 3) + ", optional header magic " + Hex(image.magic, 3));
}

CheckResult CheckSubsystemVersion(const Image& image) {
    const int major = image.subsystemMajor, minor = image.subsystemMinor;
    const bool oldEnough = (major == 4 && minor == 0) || (major == 5 && minor == 1);
    return Check("subsystem version 4.0 or 5.1 (Windows XP loads it)", oldEnough,
                 std::to_string(major) + "." + std::to_string(minor));
}

CheckResult CheckSecurityFlags(const Image& image) {
    const uint16_t wanted = kNxCompat | kDynamicBase;
    return Check("NX-compatible and dynamic base", (image.dllCharacteristics & wanted) == wanted,
                 "DllCharacteristics " + Hex(image.dllCharacteristics, 4));
}

CheckResult CheckDlls(const Image& image, const AllowList& allowed) {
    std::vector<std::string> names, strangers;
    for (const ImportedDll& dll : image.imports) {
        names.push_back(dll.name);
        if (!allowed.HasDll(dll.name)) strangers.push_back(dll.name);
    }
    return Check("imports only the system DLLs of the allow-list", strangers.empty(),
                 strangers.empty() ? Join(names) : "not listed: " + Join(strangers));
}

CheckResult CheckFunctions(const Image& image, const AllowList& allowed) {
    std::vector<std::string> strangers;
    size_t count = 0;
    for (const ImportedDll& dll : image.imports) {
        for (const std::string& function : dll.functions) {
            ++count;
            if (!allowed.Has(dll.name, function)) strangers.push_back(dll.name + "!" + function);
        }
    }
    return Check("every imported function on the allow-list", strangers.empty(),
                 strangers.empty() ? std::to_string(count) + " functions, " +
                                         std::to_string(allowed.size()) + " allowed"
                                   : "not listed: " + Join(strangers));
}

CheckResult CheckPresent(const Image& image, uint32_t type, const std::string& what) {
    const Resource* resource = FindResource(image, type);
    return Check(what, resource != nullptr,
                 resource ? std::to_string(resource->size) + " bytes" : "missing");
}

// A group icon lists its images by id; each must be there as an icon.
CheckResult CheckIcon(const Image& image, const std::vector<uint8_t>& file) {
    const std::string title = "icon (group icon and its images)";
    const Resource* group = FindResource(image, kResourceGroupIcon);
    if (group == nullptr) return Check(title, false, "no group icon");
    if (group->size < 6) return Check(title, false, "group icon cut short");
    const uint8_t* data = file.data() + group->fileOffset;
    const unsigned count = data[4] | data[5] << 8;
    if (count == 0 || group->size < 6 + 14 * count)
        return Check(title, false, "group icon lists " + std::to_string(count) + " images");
    for (unsigned i = 0; i < count; ++i) {
        const uint8_t* entry = data + 6 + 14 * i;
        const unsigned id = entry[12] | entry[13] << 8;
        if (FindResource(image, kResourceIcon, id) == nullptr)
            return Check(title, false, "image " + std::to_string(id) + " missing");
    }
    return Check(title, true, std::to_string(count) + " images");
}

// VS_VERSIONINFO: a 6-byte header, the key L"VS_VERSION_INFO", padding to
// 4 bytes, then VS_FIXEDFILEINFO with its signature.
CheckResult CheckVersion(const Image& image, const std::vector<uint8_t>& file) {
    const std::string title = "version block";
    const Resource* version = FindResource(image, kResourceVersion);
    if (version == nullptr) return Check(title, false, "missing");
    const std::string key = "VS_VERSION_INFO";
    const size_t signatureAt = (6 + 2 * (key.size() + 1) + 3) & ~size_t{3};
    if (version->size < signatureAt + 4) return Check(title, false, "cut short");
    const uint8_t* data = file.data() + version->fileOffset;
    for (size_t i = 0; i < key.size(); ++i)
        if (data[6 + 2 * i] != key[i] || data[7 + 2 * i] != 0)
            return Check(title, false, "no VS_VERSION_INFO key");
    const uint32_t signature = data[signatureAt] | data[signatureAt + 1] << 8 |
                               data[signatureAt + 2] << 16 |
                               static_cast<uint32_t>(data[signatureAt + 3]) << 24;
    return Check(title, signature == 0xFEEF04BD, "fixed file info signature " + Hex(signature, 8));
}

CheckResult CheckCaption(const Image& image, const std::vector<uint8_t>& file,
                         const std::string& expected) {
    const std::string title = "dialog caption (UTF-16 in the dialog template)";
    const Resource* dialog = FindResource(image, kResourceDialog);
    std::u16string caption;
    if (dialog == nullptr || !DialogCaption(file, *dialog, caption))
        return Check(title, false, "no readable dialog template");
    const std::string utf8 = Utf16ToUtf8(caption);
    if (utf8 != expected)
        return Check(title, false, "\"" + utf8 + "\", expected \"" + expected + "\"");
    // Narrow-API callers (FindWindowA, GetWindowTextA) see it in Windows-1251.
    std::string cp1251;
    if (!Convert("CP1251", "UTF-8", utf8, cp1251))
        return Check(title, false, "\"" + utf8 + "\" has no Windows-1251 form");
    return Check(title, true, "\"" + utf8 + "\"");
}

CheckResult CheckTexts(const std::vector<uint8_t>& file, const std::vector<std::string>& texts) {
    std::vector<std::string> missing;
    for (const std::string& text : texts) {
        std::string cp1251;
        if (!Convert("CP1251", "UTF-8", text, cp1251) || !Contains(file, cp1251))
            missing.push_back("\"" + Trim(text) + "\"");
    }
    return Check("program texts as Windows-1251 bytes", missing.empty(),
                 missing.empty() ? std::to_string(texts.size()) + " texts found"
                                 : "missing: " + Join(missing));
}

}  // namespace

bool AllowList::Parse(std::istream& in, std::string& error) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string entry = Trim(line.substr(0, line.find('#')));
        if (entry.empty()) continue;
        const size_t bang = entry.find('!');
        if (bang == 0 || bang == std::string::npos || bang + 1 == entry.size() ||
            entry.find_first_of(" \t") != std::string::npos) {
            error = "line " + std::to_string(number) + ": \"" + entry + "\" is not DLL!Function";
            return false;
        }
        const std::string dll = Upper(entry.substr(0, bang));
        dlls_.insert(dll);
        entries_.insert(dll + "!" + entry.substr(bang + 1));
    }
    return true;
}

bool AllowList::HasDll(const std::string& dll) const { return dlls_.count(Upper(dll)) != 0; }

bool AllowList::Has(const std::string& dll, const std::string& function) const {
    return entries_.count(Upper(dll) + "!" + function) != 0;
}

std::vector<CheckResult> CheckProgram(const Image& image, const std::vector<uint8_t>& file,
                                      const AllowList& allowed, const ExpectedTexts& texts) {
    return {
        CheckFormat(image),
        Check("GUI subsystem", image.subsystem == kSubsystemGui,
              "subsystem " + std::to_string(image.subsystem)),
        CheckSubsystemVersion(image),
        CheckSecurityFlags(image),
        CheckDlls(image, allowed),
        CheckFunctions(image, allowed),
        CheckPresent(image, kResourceDialog, "dialog template"),
        CheckPresent(image, kResourceBitmap, "bitmap"),
        CheckIcon(image, file),
        CheckVersion(image, file),
        CheckCaption(image, file, texts.dialogCaption),
        CheckTexts(file, texts.programTexts),
    };
}

}  // namespace pe
