// Optional event log (--log): one time-stamped line per event, flushed at once
// so a test that fails can read what the simulator saw.
#pragma once

#include <cstdio>
#include <string>

namespace modemsim {

class Log {
public:
    Log() = default;
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    bool Open(const std::string& path);
    void Line(const std::string& text);

private:
    std::FILE* file_ = nullptr;
};

}  // namespace modemsim
