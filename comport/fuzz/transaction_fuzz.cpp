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

// The restart rule written out plainly: where in the stream does the
// pattern first complete? 0 if it never does.
size_t FirstEnd(const std::string& pattern, const std::string& stream) {
    size_t state = 0;
    for (size_t i = 0; i < stream.size(); ++i) {
        if (stream[i] == pattern[state]) {
            state++;
        } else if (stream[i] == pattern[0]) {
            state = 1;
        } else {
            state = 0;
        }
        if (state == pattern.size()) return i + 1;
    }
    return 0;
}

Outcome Model(const std::string& stream, bool anyResponse, uint32_t mask, uint64_t limit) {
    size_t best = 0;
    int bestResult = 0;
    if (anyResponse) {
        for (int row = 0; row < kResponseCount; ++row) {
            if (!(mask & (1u << row))) continue;
            const std::string pattern(kResponseTable[row].text, kResponseTable[row].length);
            size_t end = FirstEnd(pattern, stream);
            if (end != 0 && (best == 0 || end < best)) {  // ties keep the lower row
                best = end;
                bestResult = 1 << row;
            }
        }
    } else {
        static const std::string ok = "\r\nOK\r\n";
        best = FirstEnd(ok, stream);
        // For this terminator the restart rule equals a true substring search.
        auto hit = std::search(stream.begin(), stream.end(), ok.begin(), ok.end());
        size_t searched = hit == stream.end() ? 0 : (hit - stream.begin()) + ok.size();
        if (best != searched) std::abort();
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
    const uint32_t mask = data[2];
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
