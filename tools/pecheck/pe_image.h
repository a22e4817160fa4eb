// A reader of 32-bit Windows executables (PE32): the headers, the section
// table, the import directory and the resource directory, read from the
// file's bytes as they are, without loading or running anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pe {

// Values of the headers that the checks look at.
constexpr uint16_t kMachineI386 = 0x14c;
constexpr uint16_t kMagicPe32 = 0x10b;
constexpr uint16_t kSubsystemGui = 2;
constexpr uint16_t kDynamicBase = 0x0040;  // IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE
constexpr uint16_t kNxCompat = 0x0100;     // IMAGE_DLLCHARACTERISTICS_NX_COMPAT

// Resource types by their numeric ids (RT_*).
constexpr uint32_t kResourceBitmap = 2;
constexpr uint32_t kResourceIcon = 3;
constexpr uint32_t kResourceDialog = 5;
constexpr uint32_t kResourceGroupIcon = 14;
constexpr uint32_t kResourceVersion = 16;

struct Section {
    std::string name;
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawOffset = 0;
    uint32_t rawSize = 0;
};

// One imported DLL and its functions; a function imported by ordinal is
// named "@<ordinal>", as in a module-definition file.
struct ImportedDll {
    std::string name;
    std::vector<std::string> functions;
};

// One leaf of the resource tree. Types and names given as strings instead of
// ids carry id 0 and the string.
struct Resource {
    uint32_t type = 0;
    std::string typeName;
    uint32_t id = 0;
    std::string name;
    uint32_t language = 0;
    uint32_t fileOffset = 0;  // where the data sits in the file
    uint32_t size = 0;
};

struct Image {
    uint16_t machine = 0;
    uint16_t magic = 0;
    uint16_t subsystem = 0;
    uint16_t subsystemMajor = 0;
    uint16_t subsystemMinor = 0;
    uint16_t dllCharacteristics = 0;
    std::vector<Section> sections;
    std::vector<ImportedDll> imports;
    std::vector<Resource> resources;
};

// Reads the image from the file's bytes. On a file that is not a well-formed
// PE32 image returns false and says why in error; nothing is read out of
// bounds whatever the bytes are.
bool Read(const std::vector<uint8_t>& file, Image& image, std::string& error);

// The caption of a dialog template (DLGTEMPLATE or DLGTEMPLATEEX) as UTF-16
// code units; false if the template is cut short.
bool DialogCaption(const std::vector<uint8_t>& file, const Resource& dialog,
                   std::u16string& caption);

}  // namespace pe
