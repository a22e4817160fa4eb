// One log line put together in place, with no heap; what does not fit is
// left out.
#pragma once

#include <cstddef>

class LineBuilder {
public:
    void Append(const char* text) {
        while (*text != '\0' && length_ < sizeof text_ - 1) text_[length_++] = *text++;
        text_[length_] = '\0';
    }
    const char* Text() const { return text_; }

private:
    char text_[2048] = {};
    std::size_t length_ = 0;
};
