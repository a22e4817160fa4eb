// PE reader: every read goes through a bounds-checked view of the file.
#include "pe_image.h"

#include <stdexcept>

namespace pe {
namespace {

// Far beyond any real program's resources (the shipped one has a few dozen).
constexpr int kMaxResourceDirectories = 10000;
constexpr uint64_t kMaxResourceEntries = 100000;

struct Malformed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Little-endian reads at file offsets; anything past the end is malformed.
class View {
public:
    explicit View(const std::vector<uint8_t>& data) : data_(data) {}

    void Need(uint64_t offset, uint64_t size, const char* what) const {
        if (offset > data_.size() || size > data_.size() - offset)
            throw Malformed(std::string(what) + " lies beyond the end of the file");
    }
    uint8_t U8(uint64_t offset, const char* what) const {
        Need(offset, 1, what);
        return data_[offset];
    }
    uint16_t U16(uint64_t offset, const char* what) const {
        Need(offset, 2, what);
        return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
    }
    uint32_t U32(uint64_t offset, const char* what) const {
        return U16(offset, what) | static_cast<uint32_t>(U16(offset + 2, what)) << 16;
    }
    uint64_t U64(uint64_t offset, const char* what) const {
        return U32(offset, what) | static_cast<uint64_t>(U32(offset + 4, what)) << 32;
    }
    // A zero-terminated byte string.
    std::string CString(uint64_t offset, const char* what) const {
        std::string text;
        for (char c; (c = static_cast<char>(U8(offset, what))) != '\0'; ++offset) text += c;
        return text;
    }
    // A zero-terminated UTF-16 string that must end before limit.
    std::u16string WString(uint64_t offset, uint64_t limit, const char* what) const {
        std::u16string text;
        for (;; offset += 2) {
            if (offset + 2 > limit) throw Malformed(std::string(what) + " is not terminated");
            const char16_t unit = U16(offset, what);
            if (unit == 0) return text;
            text += unit;
        }
    }

private:
    const std::vector<uint8_t>& data_;
};

std::string Narrow(const std::u16string& text) {
    std::string result;
    for (char16_t unit : text) result += unit < 0x80 ? static_cast<char>(unit) : '?';
    return result;
}

struct DataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
};

// Header layout: the parts of PE32 and PE32+ that differ.
struct OptionalLayout {
    uint32_t directoryCountAt;  // NumberOfRvaAndSizes
    uint32_t directoriesAt;
    uint32_t thunkSize;
};

constexpr uint32_t kImportDirectory = 1;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kHighBit = 0x80000000u;

class Reader {
public:
    Reader(const std::vector<uint8_t>& file, Image& image) : view_(file), image_(image) {}

    void ReadHeaders() {
        if (view_.U16(0, "DOS header") != 0x5A4D) throw Malformed("no MZ signature");
        const uint32_t peAt = view_.U32(0x3C, "DOS header");
        if (view_.U32(peAt, "PE signature") != 0x00004550) throw Malformed("no PE signature");
        const uint64_t coffAt = peAt + 4ull;
        image_.machine = view_.U16(coffAt, "COFF header");
        const uint16_t sectionCount = view_.U16(coffAt + 2, "COFF header");
        const uint16_t optionalSize = view_.U16(coffAt + 16, "COFF header");
        const uint64_t optionalAt = coffAt + 20;
        image_.magic = view_.U16(optionalAt, "optional header");
        OptionalLayout layout;
        if (image_.magic == kMagicPe32)
            layout = {92, 96, 4};
        else if (image_.magic == 0x20b)  // PE32+, read too so the checks can name it
            layout = {108, 112, 8};
        else
            throw Malformed("unknown optional header magic");
        view_.Need(optionalAt, optionalSize, "optional header");
        if (optionalSize < layout.directoriesAt) throw Malformed("optional header too short");
        image_.subsystemMajor = view_.U16(optionalAt + 48, "optional header");
        image_.subsystemMinor = view_.U16(optionalAt + 50, "optional header");
        image_.subsystem = view_.U16(optionalAt + 68, "optional header");
        image_.dllCharacteristics = view_.U16(optionalAt + 70, "optional header");
        thunkSize_ = layout.thunkSize;

        const uint32_t directoryCount = view_.U32(optionalAt + layout.directoryCountAt, "header");
        for (uint32_t i = 0; i < directoryCount && i <= kResourceDirectory; ++i) {
            const uint64_t at = optionalAt + layout.directoriesAt + 8ull * i;
            if (at + 8 > optionalAt + optionalSize) break;
            directories_[i] = {view_.U32(at, "data directory"),
                               view_.U32(at + 4, "data directory")};
        }
        ReadSections(optionalAt + optionalSize, sectionCount);
    }

    void ReadImports() {
        const DataDirectory directory = directories_[kImportDirectory];
        if (directory.rva == 0) return;
        for (uint64_t at = FileOffset(directory.rva, "import directory");; at += 20) {
            const uint32_t lookup = view_.U32(at, "import descriptor");
            const uint32_t nameRva = view_.U32(at + 12, "import descriptor");
            const uint32_t addresses = view_.U32(at + 16, "import descriptor");
            if (nameRva == 0 && addresses == 0) return;  // the closing empty descriptor
            ImportedDll dll;
            dll.name = view_.CString(FileOffset(nameRva, "DLL name"), "DLL name");
            ReadThunks(lookup != 0 ? lookup : addresses, dll.functions);
            image_.imports.push_back(dll);
        }
    }

    void ReadResources() {
        const DataDirectory directory = directories_[kResourceDirectory];
        if (directory.rva == 0) return;
        resourceRoot_ = FileOffset(directory.rva, "resource directory");
        // Three levels: type, name, language; each leaf points at the data.
        ForEachEntry(resourceRoot_, [&](const Entry& type) {
            ForEachEntry(Subdirectory(type), [&](const Entry& name) {
                ForEachEntry(Subdirectory(name), [&](const Entry& language) {
                    if (language.offset & kHighBit) throw Malformed("resource tree too deep");
                    image_.resources.push_back(Leaf(type, name, language));
                });
            });
        });
    }

private:
    struct Entry {
        uint32_t id;
        std::string name;
        uint32_t offset;  // from the root; high bit set for a subdirectory
    };

    void ReadSections(uint64_t at, uint16_t count) {
        for (uint16_t i = 0; i < count; ++i, at += 40) {
            Section section;
            view_.Need(at, 40, "section table");
            for (int c = 0; c < 8; ++c) {
                const char byte = static_cast<char>(view_.U8(at + c, "section table"));
                if (byte == '\0') break;
                section.name += byte;
            }
            section.virtualSize = view_.U32(at + 8, "section table");
            section.virtualAddress = view_.U32(at + 12, "section table");
            section.rawSize = view_.U32(at + 16, "section table");
            section.rawOffset = view_.U32(at + 20, "section table");
            image_.sections.push_back(section);
        }
    }

    // Where the byte at rva sits in the file; it must lie in a section's raw data.
    uint64_t FileOffset(uint32_t rva, const char* what) const {
        for (const Section& section : image_.sections) {
            if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize)
                return static_cast<uint64_t>(section.rawOffset) + (rva - section.virtualAddress);
        }
        throw Malformed(std::string(what) + " is in no section's data");
    }

    void ReadThunks(uint32_t rva, std::vector<std::string>& functions) const {
        const uint64_t ordinalFlag = thunkSize_ == 8 ? 1ull << 63 : kHighBit;
        for (uint64_t at = FileOffset(rva, "import lookup table");; at += thunkSize_) {
            const uint64_t thunk = thunkSize_ == 8 ? view_.U64(at, "import lookup table")
                                                   : view_.U32(at, "import lookup table");
            if (thunk == 0) return;
            if (thunk & ordinalFlag) {
                functions.push_back("@" + std::to_string(thunk & 0xFFFF));
            } else {
                const uint64_t hintAt = FileOffset(static_cast<uint32_t>(thunk), "import name");
                functions.push_back(view_.CString(hintAt + 2, "import name"));
            }
        }
    }

    uint64_t Subdirectory(const Entry& entry) const {
        if (!(entry.offset & kHighBit)) throw Malformed("resource tree too shallow");
        return resourceRoot_ + (entry.offset & ~kHighBit);
    }

    template <typename Visit>
    void ForEachEntry(uint64_t directoryAt, Visit visit) {
        // The three levels bound the depth; these bound the breadth, so a
        // crafted tree cannot make millions of entries out of a small file.
        if (++directoriesRead_ > kMaxResourceDirectories)
            throw Malformed("resource tree too large");
        const uint32_t count = view_.U16(directoryAt + 12, "resource directory") +
                               view_.U16(directoryAt + 14, "resource directory");
        entriesRead_ += count;
        if (entriesRead_ > kMaxResourceEntries) throw Malformed("resource tree too large");
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = directoryAt + 16 + 8ull * i;
            const uint32_t nameField = view_.U32(at, "resource entry");
            Entry entry{nameField, "", view_.U32(at + 4, "resource entry")};
            if (nameField & kHighBit) {
                const uint64_t nameAt = resourceRoot_ + (nameField & ~kHighBit);
                const uint16_t length = view_.U16(nameAt, "resource name");
                std::u16string name;
                for (uint16_t c = 0; c < length; ++c)
                    name +=
                        static_cast<char16_t>(view_.U16(nameAt + 2 + 2ull * c, "resource name"));
                entry = {0, Narrow(name), entry.offset};
            }
            visit(entry);
        }
    }

    Resource Leaf(const Entry& type, const Entry& name, const Entry& language) const {
        const uint64_t dataEntry = resourceRoot_ + language.offset;
        Resource resource;
        resource.type = type.id;
        resource.typeName = type.name;
        resource.id = name.id;
        resource.name = name.name;
        resource.language = language.id;
        resource.size = view_.U32(dataEntry + 4, "resource data entry");
        const uint64_t at = FileOffset(view_.U32(dataEntry, "resource data entry"), "resource");
        view_.Need(at, resource.size, "resource data");
        resource.fileOffset = static_cast<uint32_t>(at);
        return resource;
    }

    View view_;
    Image& image_;
    DataDirectory directories_[kResourceDirectory + 1];
    uint32_t thunkSize_ = 4;
    uint64_t resourceRoot_ = 0;
    int directoriesRead_ = 0;
    uint64_t entriesRead_ = 0;
};

// Skips a sz_Or_Ord field of a dialog template: none, an ordinal, or a string.
uint64_t SkipNameOrOrdinal(const View& view, uint64_t at, uint64_t limit) {
    const uint16_t first = view.U16(at, "dialog template");
    if (first == 0) return at + 2;
    if (first == 0xFFFF) return at + 4;
    return at + 2 * (view.WString(at, limit, "dialog template").size() + 1);
}

}  // namespace

bool Read(const std::vector<uint8_t>& file, Image& image, std::string& error) {
    image = Image{};
    try {
        Reader reader(file, image);
        reader.ReadHeaders();
        reader.ReadImports();
        reader.ReadResources();
        return true;
    } catch (const Malformed& malformed) {
        error = malformed.what();
        return false;
    }
}

bool DialogCaption(const std::vector<uint8_t>& file, const Resource& dialog,
                   std::u16string& caption) {
    const View view(file);
    const uint64_t limit = static_cast<uint64_t>(dialog.fileOffset) + dialog.size;
    try {
        view.Need(dialog.fileOffset, dialog.size, "dialog template");
        // DLGTEMPLATEEX starts with version 1 and signature 0xFFFF; its fixed
        // part is 26 bytes, that of the plain DLGTEMPLATE 18.
        const bool extended = view.U16(dialog.fileOffset, "dialog template") == 1 &&
                              view.U16(dialog.fileOffset + 2, "dialog template") == 0xFFFF;
        uint64_t at = dialog.fileOffset + (extended ? 26 : 18);
        at = SkipNameOrOrdinal(view, at, limit);  // menu
        at = SkipNameOrOrdinal(view, at, limit);  // window class
        caption = view.WString(at, limit, "dialog caption");
        return true;
    } catch (const Malformed&) {
        return false;
    }
}

}  // namespace pe
