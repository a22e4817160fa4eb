#include "port_paths.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "small_files.h"

namespace comdev {
namespace {

std::string& LockDir() {
    static std::string directory = kDefaultLockDirectory;
    return directory;
}

// A busy machine's /dev holds a few thousand entries.
constexpr std::size_t kMaxDevEntries = 65536;

std::vector<std::string> NumberedDevices(const std::string& devDir, const char* stem) {
    std::vector<std::pair<long, std::string>> found;
    const size_t stemLength = std::strlen(stem);
    ForEachEntry(devDir, kMaxDevEntries, [&](const std::string& name) {
        if (name.compare(0, stemLength, stem) != 0) return true;
        char* end = nullptr;
        const long number = std::strtol(name.c_str() + stemLength, &end, 10);
        if (end != name.c_str() + stemLength && *end == '\0') {
            found.emplace_back(number, devDir + "/" + name);
        }
        return true;
    });
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& device : found) paths.push_back(std::move(device.second));
    return paths;
}

}  // namespace

std::vector<std::string> ScanPortPaths(const std::string& devDir) {
    std::vector<std::string> paths = NumberedDevices(devDir, "ttyUSB");
    const std::vector<std::string> acm = NumberedDevices(devDir, "ttyACM");
    paths.insert(paths.end(), acm.begin(), acm.end());
    return paths;
}

bool ToPortNames(const std::vector<std::string>& paths, PortNames* names) {
    for (const std::string& path : paths) {
        if (!names->Add(path.c_str())) return false;
    }
    return true;
}

void SetLockDirectory(const std::string& directory) { LockDir() = directory; }

const std::string& LockDirectory() { return LockDir(); }

}  // namespace comdev
