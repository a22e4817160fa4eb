#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "held_ports.h"

std::string HeldPorts::LayoutOf(const std::vector<int>& coms) {
    std::string layout;
    for (int com : coms) layout += "COM" + std::to_string(com) + "=silent ";
    return layout;
}

bool HeldPorts::Hold(const std::vector<int>& coms) {
    const char* prefix = std::getenv("MODEMSIM_PREFIX");
    if (prefix == nullptr) return false;
    for (int com : coms) {
        const std::string path = std::string(prefix) + "/dosdevices/com" + std::to_string(com);
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        descriptors_.push_back(fd);
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
    }
    return true;
}

HeldPorts::~HeldPorts() {
    for (int fd : descriptors_) close(fd);
}
