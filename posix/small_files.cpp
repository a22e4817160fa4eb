#include "small_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace comdev {
namespace {

// The longest attribute or /proc entry these files hold.
constexpr std::size_t kLineBytes = 256;

}  // namespace

bool ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string* text) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat file {};
    bool read = fstat(fd, &file) == 0 && S_ISREG(file.st_mode);
    text->clear();
    while (read && text->size() < maxBytes) {
        char buffer[256];
        const std::size_t want = std::min(sizeof buffer, maxBytes - text->size());
        const ssize_t got = ::read(fd, buffer, want);
        if (got < 0) read = false;
        if (got <= 0) break;
        text->append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return read;
}

std::string ReadLine(const std::string& path) {
    std::string text;
    if (!ReadSmallFile(path, kLineBytes, &text)) return "";
    const std::size_t end = text.find('\n');
    if (end != std::string::npos) text.erase(end);
    return text;
}

std::string CanonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : "";
}

std::string ResolvedInside(const std::string& root, const std::string& path) {
    const std::string result = CanonicalPath(path);
    if (result.size() <= root.size() || result.compare(0, root.size(), root) != 0 ||
        result[root.size()] != '/') {
        return "";
    }
    return result;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void ForEachEntry(const std::string& dir, std::size_t maxEntries,
                  const std::function<bool(const std::string& name)>& visit) {
    DIR* handle = opendir(dir.c_str());
    if (handle == nullptr) return;
    std::size_t seen = 0;
    while (const dirent* entry = readdir(handle)) {
        if (++seen > maxEntries) break;
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && !visit(name)) break;
    }
    closedir(handle);
}

bool ProcessRuns(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

}  // namespace comdev
