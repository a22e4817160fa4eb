#include "dos_devices.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace modemsim {
namespace {

bool EnsureDirectory(const std::string& path, std::string* error) {
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
    *error = "mkdir " + path + ": " + std::strerror(errno);
    return false;
}

}  // namespace

DosDevices::DosDevices(std::string prefix) : prefix_(std::move(prefix)) {}

bool DosDevices::Prepare(std::string* error) const {
    struct stat info {};
    if (stat(prefix_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *error = "no Wine prefix at " + prefix_;
        return false;
    }
    return EnsureDirectory(prefix_ + "/dosdevices", error) && EnsureDirectory(BusyDir(), error);
}

std::string DosDevices::LinkPath(int com) const {
    return prefix_ + "/dosdevices/com" + std::to_string(com);
}

bool DosDevices::Point(int com, const std::string& target, std::string* error) const {
    const std::string link = LinkPath(com);
    const std::string staging = link + ".modemsim-new";
    unlink(staging.c_str());
    if (symlink(target.c_str(), staging.c_str()) != 0 ||
        rename(staging.c_str(), link.c_str()) != 0) {
        *error = "link " + link + " -> " + target + ": " + std::strerror(errno);
        unlink(staging.c_str());
        return false;
    }
    return true;
}

bool DosDevices::PointAbsent(int com, std::string* error) const {
    return Point(com, Nowhere(), error);
}

bool DosDevices::PointBusy(int com, std::string* error) const {
    return Point(com, BusyDir(), error);
}

}  // namespace modemsim
