// A small PE image built in memory for the reader's tests: the headers and
// one section holding the imports, some raw data and the resources, in that
// order, so the last resource's data ends the file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SyntheticPe {
    struct Resource {
        uint32_t type;
        uint32_t id;
        std::vector<uint8_t> data;
    };

    uint16_t machine = 0x14c;
    uint16_t magic = 0x10b;  // 0x20b lays the image out as PE32+
    uint16_t subsystem = 2;
    uint16_t subsystemMajor = 5;
    uint16_t subsystemMinor = 1;
    uint16_t dllCharacteristics = 0x0140;
    // DLL name and its functions; "@12" imports ordinal 12.
    std::vector<std::pair<std::string, std::vector<std::string>>> imports;
    std::vector<uint8_t> rawData;
    std::vector<Resource> resources;

    std::vector<uint8_t> Build() const;
};

// Resource payloads as a resource compiler writes them.
std::vector<uint8_t> DialogTemplateEx(const std::u16string& caption);
std::vector<uint8_t> GroupIcon(const std::vector<uint16_t>& imageIds);
std::vector<uint8_t> VersionInfo();
