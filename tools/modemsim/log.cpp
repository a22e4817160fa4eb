#include "log.h"

#include <time.h>

namespace modemsim {

Log::~Log() {
    if (file_ != nullptr) std::fclose(file_);
}

bool Log::Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

void Log::Line(const std::string& text) {
    if (file_ == nullptr) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    std::fprintf(file_, "%02d:%02d:%02d.%03ld %s\n", local.tm_hour, local.tm_min, local.tm_sec,
                 now.tv_nsec / 1000000, text.c_str());
    std::fflush(file_);
}

}  // namespace modemsim
