// Fuzzes the transaction read loop against a plain model: the same stream,
// answer size and response mask must give the same result, the same stored
// answer and count, and never a read past the caller's buffer (the answer
// buffer is an exactly sized heap block, so AddressSanitizer sees overruns).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "matching.h"

namespace {

struct Outcome {
    int result;
    size_t consumed;  // bytes taken from the stream
};

// Where in the stream does the pattern first complete? 0 if it never does.
// A plain substring search with no state of its own, so it cannot share a
// mistake with the matcher's restart rule.
size_t FirstEnd(const std::string& pattern, const std::string& stream) {
    const size_t at = stream.find(pattern);
    return at == std::string::npos ? 0 : at + pattern.size();
}

// The restart rule finds what a search finds unless the pattern's first byte
// recurs inside it: "CONNECONNECT" holds "CONNECT" for a search, while the
// restart rule takes the second C as its sixth byte and then gives up. That
// row is the restart rule's own behaviour, checked by the unit tests; the
// model leaves it out of the mask.
uint32_t RowsASearchModels() {
    uint32_t rows = 0;
    for (int row = 0; row < kResponseCount; ++row) {
        const std::string pattern(kResponseTable[row].text, kResponseTable[row].length);
        if (pattern.find(pattern[0], 1) == std::string::npos) rows |= 1u << row;
    }
    return rows;
}

Outcome Model(const std::string& stream, bool anyResponse, uint32_t mask, uint64_t limit) {
    size_t best = 0;
    int bestResult = 0;
    if (anyResponse) {
        for (int row = 0; row < kResponseCount; ++row) {
            if (!(mask & (1u << row))) continue;
            const std::string pattern(kResponseTable[row].text, kResponseTable[row].length);
            const size_t end = FirstEnd(pattern, stream);
            if (end != 0 && (best == 0 || end < best)) {  // ties keep the lower row
                best = end;
                bestResult = 1 << row;
            }
        }
    } else {
        best = FirstEnd("\r\nOK\r\n", stream);
        bestResult = 1;
    }
    if (best != 0 && best <= limit) return {bestResult, best};
    if (stream.size() < limit) return {kComReadFailed, stream.size()};
    return {kComRunaway, static_cast<size_t>(limit)};
}

template <class Watcher>
Outcome Run(Watcher& watcher, const std::string& stream, char* answer, uint32_t size, int* count) {
    AnswerBuffer buffer(answer, size, count);
    size_t next = 0;
    auto read = [&](char* byte) {
        if (next == stream.size()) return false;  // silence
        *byte = stream[next++];
        return true;
    };
    int result = CollectAnswer(read, watcher, buffer, RunawayLimit(size));
    return {result, next};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint32_t answerSize = data[0] % 80;  // 0 exercises the null answer
    const bool anyResponse = data[1] & 1;
    const uint32_t mask = data[2] & RowsASearchModels();
    const std::string stream(reinterpret_cast<const char*>(data) + 3, size - 3);

    std::vector<char>* block = answerSize ? new std::vector<char>(answerSize, '#') : nullptr;
    char* answer = block ? block->data() : nullptr;
    int count = -7;
    Outcome got;
    if (anyResponse) {
        ResponseWatcher watcher(mask);
        got = Run(watcher, stream, answer, answerSize, &count);
    } else {
        TerminatorWatcher watcher("\r\nOK\r\n", 6);
        got = Run(watcher, stream, answer, answerSize, &count);
    }
    const Outcome want = Model(stream, anyResponse, mask, RunawayLimit(answerSize));
    if (got.result != want.result || got.consumed != want.consumed) std::abort();

    const size_t stored = answerSize ? std::min<size_t>(want.consumed, answerSize - 1) : 0;
    if (count != static_cast<int>(stored)) std::abort();
    if (answer) {
        if (std::memcmp(answer, stream.data(), stored) != 0) std::abort();
        for (size_t i = stored; i < answerSize; ++i) {
            if (answer[i] != '\0') std::abort();  // zero-terminated, rest cleared
        }
    }
    delete block;
    return 0;
}
