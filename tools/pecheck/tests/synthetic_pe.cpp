// Layout: DOS header, PE headers and the section table in the first 0x200
// bytes; the one section follows at RVA 0x1000, file offset 0x200.
#include "synthetic_pe.h"

namespace {

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kSectionFileOffset = 0x200;

class Bytes {
public:
    size_t size() const { return data_.size(); }
    std::vector<uint8_t>& data() { return data_; }

    void Put(size_t at, uint64_t value, int width) {
        if (data_.size() < at + width) data_.resize(at + width);
        for (int i = 0; i < width; ++i) data_[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    void Put16(size_t at, uint64_t value) { Put(at, value, 2); }
    void Put32(size_t at, uint64_t value) { Put(at, value, 4); }
    size_t Append(const std::vector<uint8_t>& bytes) {
        const size_t at = data_.size();
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        return at;
    }
    size_t AppendString(const std::string& text) {
        return Append(std::vector<uint8_t>(text.c_str(), text.c_str() + text.size() + 1));
    }
    void Align(size_t alignment) {
        data_.resize((data_.size() + alignment - 1) / alignment * alignment);
    }

private:
    std::vector<uint8_t> data_;
};

void PutWide(Bytes& bytes, size_t at, const std::u16string& text) {
    for (size_t i = 0; i <= text.size(); ++i)
        bytes.Put16(at + 2 * i, i < text.size() ? text[i] : 0);
}

// Descriptors first, then each DLL's lookup table, names and hint/name entries.
void WriteImports(const SyntheticPe& pe, Bytes& section) {
    const int thunkSize = pe.magic == 0x20b ? 8 : 4;
    const uint64_t ordinalFlag = thunkSize == 8 ? 1ull << 63 : 0x80000000u;
    section.Put32(20 * pe.imports.size() + 16, 0);  // the closing empty descriptor
    for (size_t d = 0; d < pe.imports.size(); ++d) {
        const auto& [dll, functions] = pe.imports[d];
        section.Align(8);
        const size_t table = section.size();
        section.Put(table + thunkSize * functions.size(), 0, thunkSize);
        for (size_t f = 0; f < functions.size(); ++f) {
            uint64_t thunk;
            if (functions[f][0] == '@') {
                thunk = ordinalFlag | std::stoul(functions[f].substr(1));
            } else {
                section.Align(2);
                const size_t hintName = section.size();
                section.Put16(hintName, 1);  // hint
                section.AppendString(functions[f]);
                thunk = kSectionRva + hintName;
            }
            section.Put(table + thunkSize * f, thunk, thunkSize);
        }
        const size_t name = section.AppendString(dll);
        section.Put32(20 * d, kSectionRva + table);       // lookup table
        section.Put32(20 * d + 12, kSectionRva + name);   // DLL name
        section.Put32(20 * d + 16, kSectionRva + table);  // address table (same entries)
    }
}

// Type, name and language levels, one entry each below the root.
void WriteResources(const SyntheticPe& pe, Bytes& section, size_t root) {
    const size_t count = pe.resources.size();
    section.Put16(root + 14, count);
    size_t at = root + 16 + 8 * count;
    std::vector<size_t> dataEntries;
    for (size_t r = 0; r < count; ++r) {
        const size_t nameDir = at, languageDir = at + 24, dataEntry = at + 48;
        section.Put32(root + 16 + 8 * r, pe.resources[r].type);
        section.Put32(root + 20 + 8 * r, 0x80000000u | (nameDir - root));
        section.Put16(nameDir + 14, 1);
        section.Put32(nameDir + 16, pe.resources[r].id);
        section.Put32(nameDir + 20, 0x80000000u | (languageDir - root));
        section.Put16(languageDir + 14, 1);
        section.Put32(languageDir + 16, 0x419);
        section.Put32(languageDir + 20, dataEntry - root);
        section.Put32(dataEntry + 12, 0);
        dataEntries.push_back(dataEntry);
        at = dataEntry + 16;
    }
    for (size_t r = 0; r < count; ++r) {
        section.Align(4);
        const size_t data = section.Append(pe.resources[r].data);
        section.Put32(dataEntries[r], kSectionRva + data);
        section.Put32(dataEntries[r] + 4, pe.resources[r].data.size());
    }
}

}  // namespace

std::vector<uint8_t> SyntheticPe::Build() const {
    Bytes section;
    WriteImports(*this, section);
    const size_t importSize = section.size();
    section.Append(rawData);
    section.Align(4);
    const size_t resourceRoot = section.size();
    WriteResources(*this, section, resourceRoot);

    const bool plus = magic == 0x20b;
    const size_t optionalSize = plus ? 240 : 224;
    const size_t directories = plus ? 112 : 96;
    Bytes file;
    file.Put16(0, 0x5A4D);  // "MZ"
    file.Put32(0x3C, 0x40);
    file.Put32(0x40, 0x00004550);  // "PE\0\0"
    file.Put16(0x44, machine);
    file.Put16(0x46, 1);  // one section
    file.Put16(0x54, optionalSize);
    file.Put16(0x56, 0x0102);  // executable, 32-bit machine
    const size_t optional = 0x58;
    file.Put16(optional, magic);
    file.Put16(optional + 48, subsystemMajor);
    file.Put16(optional + 50, subsystemMinor);
    file.Put16(optional + 68, subsystem);
    file.Put16(optional + 70, dllCharacteristics);
    file.Put32(optional + directories - 4, 16);
    file.Put32(optional + directories + 8, kSectionRva);  // imports
    file.Put32(optional + directories + 12, importSize);
    file.Put32(optional + directories + 16, kSectionRva + resourceRoot);  // resources
    file.Put32(optional + directories + 20, section.size() - resourceRoot);
    const size_t header = optional + optionalSize;
    file.Put(header, 0x61746164722e, 6);  // ".rdata"
    file.Put32(header + 8, section.size());
    file.Put32(header + 12, kSectionRva);
    file.Put32(header + 16, section.size());
    file.Put32(header + 20, kSectionFileOffset);
    file.Put(kSectionFileOffset - 1, 0, 1);
    file.Append(section.data());
    return file.data();
}

std::vector<uint8_t> DialogTemplateEx(const std::u16string& caption) {
    Bytes bytes;
    bytes.Put16(0, 1);            // version
    bytes.Put16(2, 0xFFFF);       // DLGTEMPLATEEX signature
    bytes.Put32(12, 0x00C80000);  // WS_CAPTION | WS_SYSMENU style bits, any will do
    // 26 bytes of fixed part, then no menu and the class given as an ordinal.
    bytes.Put16(26, 0);
    bytes.Put16(28, 0xFFFF);
    bytes.Put16(30, 0x8002);
    PutWide(bytes, 32, caption);
    return bytes.data();
}

std::vector<uint8_t> GroupIcon(const std::vector<uint16_t>& imageIds) {
    Bytes bytes;
    bytes.Put16(2, 1);  // icons
    bytes.Put16(4, imageIds.size());
    for (size_t i = 0; i < imageIds.size(); ++i) bytes.Put16(6 + 14 * i + 12, imageIds[i]);
    return bytes.data();
}

std::vector<uint8_t> VersionInfo() {
    Bytes bytes;
    bytes.Put16(2, 52);  // size of VS_FIXEDFILEINFO
    PutWide(bytes, 6, u"VS_VERSION_INFO");
    bytes.Put32(40, 0xFEEF04BD);
    bytes.Put32(44 + 48, 0);
    bytes.Put16(0, bytes.size());
    return bytes.data();
}
