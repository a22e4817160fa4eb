#include "check_report.h"

#include <cstdio>

#include "text_codec.h"

void CheckReport::BeginScenario(const std::string& name) {
    std::printf("\n=== %s\n", Cp1251ToUtf8(name).c_str());
    std::fflush(stdout);
}

bool CheckReport::Expect(bool ok, const std::string& name, const std::string& detail) {
    if (ok) {
        ++passed_;
        std::printf("PASS %s\n", Cp1251ToUtf8(name).c_str());
    } else {
        ++failures_;
        std::printf("FAIL %s\n", Cp1251ToUtf8(name).c_str());
        if (!detail.empty()) std::printf("     %s\n", Cp1251ToUtf8(detail).c_str());
    }
    std::fflush(stdout);
    return ok;
}

bool CheckReport::Fail(const std::string& name, const std::string& detail) {
    return Expect(false, name, detail);
}

int CheckReport::Finish() const {
    std::printf("\n%d passed, %d failed\n", passed_, failures_);
    std::fflush(stdout);
    return (failures_ == 0 && passed_ > 0) ? 0 : 1;
}
