#include "matching.h"

#include <cstring>

const ResponsePattern kResponseTable[kResponseCount] = {
    {"OK\r\n", 4},      {"ERROR\r\n", 7},       {"VCON\r\n", 6},
    {"CONNECT\r\n", 9}, {"\x10t", 2},  // DLE t
    {"\x10h", 2},                      // DLE h
    {"\r\n", 2},        {"NO CARRIER\r\n", 12},
};

bool RestartMatcher::Feed(char byte) {
    if (byte == pattern_[state_]) {
        ++state_;
    } else {
        state_ = (byte == pattern_[0]) ? 1 : 0;
    }
    if (state_ != length_) return false;
    state_ = 0;
    return true;
}

namespace {
RestartMatcher RowMatcher(int row) {
    return RestartMatcher(kResponseTable[row].text,
                          static_cast<size_t>(kResponseTable[row].length));
}
}  // namespace

ResponseWatcher::ResponseWatcher(uint32_t mask)
    : mask_(mask), rows_{RowMatcher(0), RowMatcher(1), RowMatcher(2), RowMatcher(3),
                         RowMatcher(4), RowMatcher(5), RowMatcher(6), RowMatcher(7)} {}

int ResponseWatcher::Feed(char byte) {
    int ended = 0;
    // Every row sees every byte, so rows outside the mask keep their state.
    for (int row = 0; row < kResponseCount; ++row) {
        const uint32_t bit = 1u << row;
        if (rows_[row].Feed(byte) && (mask_ & bit) && ended == 0) {
            ended = static_cast<int>(bit);
        }
    }
    return ended;
}

AnswerBuffer::AnswerBuffer(char* answer, uint32_t size, int* count)
    : answer_(answer), capacity_(answer != nullptr && size != 0 ? size - 1 : 0), count_(count) {
    if (answer_ != nullptr && size != 0) std::memset(answer_, 0, size);
    *count_ = 0;
}

void AnswerBuffer::Store(char byte) {
    if (static_cast<uint32_t>(*count_) >= capacity_) return;
    answer_[*count_] = byte;
    ++*count_;
}

uint64_t RunawayLimit(uint32_t answerSize) {
    return static_cast<uint64_t>(answerSize) + kRunawayAllowance;
}

RefusalWatcher::RefusalWatcher(const char* marker)
    : marker_(marker != nullptr ? marker : "", marker != nullptr ? std::strlen(marker) : 0),
      watching_(marker != nullptr && *marker != '\0') {}

void RefusalWatcher::Feed(char byte) {
    if (!watching_) return;
    if (markerEnded_ && byte == '0') refused_ = true;
    markerEnded_ = marker_.Feed(byte);
}
