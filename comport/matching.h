// The byte-by-byte logic of a command transaction, free of any device: where
// the answer goes, when a terminator or a standard response has been seen, and
// when a stream that never ends is given up. Builds for Windows and natively,
// so it can be fuzzed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "comport.h"  // ComResult

// Finds a terminator in a byte stream. After a mismatch it only checks
// whether the byte starts the terminator anew; it never falls back to a
// shorter partial match inside what it had matched.
class RestartMatcher {
public:
    RestartMatcher(const char* pattern, size_t length) : pattern_(pattern), length_(length) {}

    // True when this byte completes the pattern; the state then starts over.
    bool Feed(char byte);

private:
    const char* pattern_;
    size_t length_;
    size_t state_ = 0;
};

// A standard modem response that can end ComTransactAny.
struct ResponsePattern {
    char text[52];
    int32_t length;
};

// 52 bytes of text and a 32-bit length: the table's row layout.
static_assert(sizeof(ResponsePattern) == 56, "a response row is 56 bytes");

constexpr int kResponseCount = 8;
// Row i owns bit 1 << i of a response mask.
extern const ResponsePattern kResponseTable[kResponseCount];

// Watches every response row on every byte; reports the lowest completed row
// whose bit is in the mask.
class ResponseWatcher {
public:
    explicit ResponseWatcher(uint32_t mask);

    // The bit value of the row this byte ended, or 0 to read on.
    int Feed(char byte);

private:
    uint32_t mask_;
    RestartMatcher rows_[kResponseCount];
};

// One final result of an AT command and what it means. The table's rows are
// named by their bit alone; the lines it does not hold carry their text.
struct FinalResult {
    uint32_t bit;
    const char* line;  // null: the response table's row of that bit
    bool prefix;       // the line only begins so ("+CME ERROR: 50")
    ComVerdict verdict;
};

constexpr int kFinalResultCount = 7;
extern const FinalResult kFinalResultTable[kFinalResultCount];

// Ends an answer at the first final result in mask that stands as a line of
// its own. The response table's rows are matched as ComTransactAny matches
// them, each on its own, so that a row a line start does not precede
// ("LOOK\r\n") cannot hide another; the table's other final results are
// read line by line.
class FinalResultWatcher {
public:
    explicit FinalResultWatcher(uint32_t mask);

    // The bit of the final result this byte ended, or 0 to read on.
    int Feed(char byte);

private:
    static constexpr size_t kRecent = 16;  // more than the longest row
    static constexpr size_t kLineKept = 24;  // more than the longest final-result line

    bool BeginsLine(int row) const;
    int LineResult() const;
    bool TrackLine(char byte);

    uint32_t mask_;
    ResponseWatcher rows_[kResponseCount];
    char recent_[kRecent] = {};
    uint64_t fed_ = 0;
    char line_[kLineKept] = {};  // the line under way: its first bytes
    size_t lineLength_ = 0;
    char ended_[kLineKept] = {};  // the line a carriage return ended last
    size_t endedLength_ = 0;
    bool lineJustEnded_ = false;  // the last byte was that carriage return
};

// The caller's answer buffer: zero-filled at the start, at most size - 1
// bytes stored so it stays zero-terminated, their number kept in *count.
class AnswerBuffer {
public:
    AnswerBuffer(char* answer, uint32_t size, int* count);
    void Store(char byte);

private:
    char* answer_;
    uint32_t capacity_;
    int* count_;
};

// How many bytes a transaction reads before it gives up on a stream that
// neither pauses nor ends: an answer that fits the buffer is never cut short
// by it (a watched transaction's time bound may end a slow one first).
constexpr uint32_t kRunawayAllowance = 4096;
uint64_t RunawayLimit(uint32_t answerSize);

// The read loop shared by both transactions. readByte(char*) returns false on
// a failed or empty read; matcher.Feed(char) returns a positive bit, 0 to read
// on (single-terminator matchers are wrapped by TerminatorWatcher); inTime()
// false before a read gives the stream up as endless, as the byte limit does.
template <class ReadByte, class Watcher, class InTime>
int CollectAnswer(ReadByte&& readByte, Watcher& watcher, AnswerBuffer& answer, uint64_t limit,
                  InTime&& inTime) {
    for (uint64_t taken = 0; taken < limit && inTime(); ++taken) {
        char byte;
        if (!readByte(&byte)) return kComReadFailed;
        answer.Store(byte);
        if (int result = watcher.Feed(byte)) return result;
    }
    return kComRunaway;
}

template <class ReadByte, class Watcher>
int CollectAnswer(ReadByte&& readByte, Watcher& watcher, AnswerBuffer& answer, uint64_t limit) {
    return CollectAnswer(readByte, watcher, answer, limit, [] { return true; });
}

// Adapts a RestartMatcher to CollectAnswer: a seen terminator yields 1.
class TerminatorWatcher {
public:
    TerminatorWatcher(const char* terminator, size_t length) : matcher_(terminator, length) {}
    int Feed(char byte) { return matcher_.Feed(byte) ? 1 : 0; }

private:
    RestartMatcher matcher_;
};

// Watches every byte of an answer for a refusal: the marker followed at once
// by the digit 0, wherever it comes, past the bytes an answer buffer keeps and
// past zero bytes too. The marker's first byte must not recur inside it (the
// restart rule). A null marker watches for nothing.
class RefusalWatcher {
public:
    explicit RefusalWatcher(const char* marker);
    void Feed(char byte);
    bool Refused() const { return refused_; }

private:
    RestartMatcher marker_;
    bool watching_;
    bool markerEnded_ = false;  // the last byte completed the marker
    bool refused_ = false;
};
