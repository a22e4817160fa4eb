#include "modem_manager.h"

#include <dirent.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

bool AllDigits(const char* text) {
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text) {
        if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
    }
    return true;
}

}  // namespace

bool ProcessRunning(const std::string& procDir, const std::string& name) {
    DIR* dir = opendir(procDir.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (!AllDigits(entry->d_name)) continue;
        std::FILE* comm = std::fopen((procDir + "/" + entry->d_name + "/comm").c_str(), "re");
        if (comm == nullptr) continue;  // the process has just ended
        char command[64] = {};
        const bool named = std::fgets(command, sizeof command, comm) != nullptr &&
                           std::strcspn(command, "\n") == name.size() &&
                           name.compare(0, name.size(), command, name.size()) == 0;
        std::fclose(comm);
        if (named) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}
