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

// The one place that says which final results end an AT command's answer and
// what each means. The first three are rows of the response table.
const FinalResult kFinalResultTable[kFinalResultCount] = {
    {0x01, nullptr, false, ComVerdict::Done},     // OK
    {0x02, nullptr, false, ComVerdict::Refused},  // ERROR
    {0x80, nullptr, false, ComVerdict::Failed},   // NO CARRIER
    {kComCmeError, "+CME ERROR:", true, ComVerdict::Refused},
    {kComCmsError, "+CMS ERROR:", true, ComVerdict::Refused},
    {kComNotSupported, "COMMAND NOT SUPPORT", false, ComVerdict::Refused},
    {kComTooManyParameters, "TOO MANY PARAMETERS", false, ComVerdict::Refused},
};

namespace {
ResponseWatcher RowWatcher(uint32_t mask, int row) { return ResponseWatcher(mask & (1u << row)); }

// A row that is a result line ("OK\r\n"), not a control sequence or a bare
// line break: only such a row must begin a line.
bool IsResultLine(int row) {
    const ResponsePattern& pattern = kResponseTable[row];
    return pattern.length > 2 && pattern.text[pattern.length - 2] == '\r' &&
           pattern.text[pattern.length - 1] == '\n';
}
}  // namespace

FinalResultWatcher::FinalResultWatcher(uint32_t mask)
    : mask_(mask),
      rows_{RowWatcher(mask, 0), RowWatcher(mask, 1), RowWatcher(mask, 2), RowWatcher(mask, 3),
            RowWatcher(mask, 4), RowWatcher(mask, 5), RowWatcher(mask, 6), RowWatcher(mask, 7)} {}

int FinalResultWatcher::Feed(char byte) {
    recent_[fed_ % kRecent] = byte;
    ++fed_;
    int ended = 0;
    // Every row sees every byte, as in ComTransactAny; the lowest wins.
    for (int row = 0; row < kResponseCount; ++row) {
        if (rows_[row].Feed(byte) != 0 && ended == 0 && BeginsLine(row)) ended = 1 << row;
    }
    if (TrackLine(byte) && ended == 0) ended = LineResult();
    return ended;
}

// Whether the row that has just ended began a line: at the answer's start or
// right after a line break.
bool FinalResultWatcher::BeginsLine(int row) const {
    if (!IsResultLine(row)) return true;
    const uint64_t length = static_cast<uint64_t>(kResponseTable[row].length);
    if (fed_ == length) return true;
    const char before = recent_[(fed_ - length - 1) % kRecent];
    return before == '\r' || before == '\n';
}

// A carriage return ends the line under way; true on the line feed right
// after it, where that line (in ended_) is judged.
bool FinalResultWatcher::TrackLine(char byte) {
    if (byte == '\r') {
        std::memcpy(ended_, line_, sizeof line_);
        endedLength_ = lineLength_;
        lineLength_ = 0;
        lineJustEnded_ = true;
        return false;
    }
    const bool judge = byte == '\n' && lineJustEnded_;
    lineJustEnded_ = false;
    if (byte == '\n') {
        lineLength_ = 0;
    } else {
        if (lineLength_ < kLineKept) line_[lineLength_] = byte;
        ++lineLength_;
    }
    return judge;
}

int FinalResultWatcher::LineResult() const {
    for (const FinalResult& result : kFinalResultTable) {
        if (result.line == nullptr || (mask_ & result.bit) == 0) continue;
        const size_t length = std::strlen(result.line);
        const bool fits = result.prefix ? endedLength_ >= length : endedLength_ == length;
        if (fits && std::strncmp(ended_, result.line, length) == 0) {
            return static_cast<int>(result.bit);
        }
    }
    return 0;
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
