// The transaction's byte logic on its own: terminator matching, response
// rows and masks, the answer buffer. Built for Windows and natively.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "matching.h"

namespace {

// Feeds a stream to a fresh matcher; returns the 1-based position of the byte
// that completed the pattern, or 0.
size_t EndOf(const std::string& pattern, const std::string& stream) {
    RestartMatcher matcher(pattern.data(), pattern.size());
    for (size_t i = 0; i < stream.size(); ++i) {
        if (matcher.Feed(stream[i])) return i + 1;
    }
    return 0;
}

int ResponseOf(uint32_t mask, const std::string& stream, size_t* at = nullptr) {
    ResponseWatcher watcher(mask);
    for (size_t i = 0; i < stream.size(); ++i) {
        if (int bit = watcher.Feed(stream[i])) {
            if (at) *at = i + 1;
            return bit;
        }
    }
    return 0;
}

TEST(RestartMatcherTest, FindsTheOkTerminatorAfterRepeatedAndSplitPrefixes) {
    const std::string ok = "\r\nOK\r\n";
    EXPECT_EQ(EndOf(ok, "\r\n\r\nOK\r\n"), 8u);
    EXPECT_EQ(EndOf(ok, "ATI\r\r\nZTE\r\n\r\nOK\r\n"), 17u);
    EXPECT_EQ(EndOf(ok, "\r\r\r\nOK\r\n"), 8u);
    EXPECT_EQ(EndOf(ok, "\r\nOK\r\r\nOK\r\n"), 11u);
    EXPECT_EQ(EndOf(ok, "\r\nOK\r"), 0u);
    EXPECT_EQ(EndOf(ok, "\r\nO\r\nK\r\n"), 0u);
    EXPECT_EQ(EndOf(ok, "\r\nok\r\n"), 0u) << "case matters";
}

// Kept: C10 (docs/compatibility.md)
TEST(RestartMatcherTest, NeverFallsBackInsideAPartialMatch) {
    // A true substring search finds "aab" in "aaab"; the restart matcher,
    // by design, only asks whether the mismatching byte starts it anew.
    EXPECT_EQ(EndOf("aab", "aaab"), 0u);
    EXPECT_EQ(EndOf("aab", "aab"), 3u);
    EXPECT_EQ(EndOf("abac", "ababac"), 0u);
}

TEST(RestartMatcherTest, StartsOverAfterAMatch) {
    RestartMatcher matcher("OK", 2);
    EXPECT_FALSE(matcher.Feed('O'));
    EXPECT_TRUE(matcher.Feed('K'));
    EXPECT_FALSE(matcher.Feed('K'));
    EXPECT_FALSE(matcher.Feed('O'));
    EXPECT_TRUE(matcher.Feed('K'));
}

TEST(ResponseWatcherTest, TableHoldsTheEightStandardResponses) {
    const char* expected[kResponseCount] = {"OK\r\n", "ERROR\r\n", "VCON\r\n", "CONNECT\r\n",
                                            "\x10t",  "\x10h",     "\r\n",     "NO CARRIER\r\n"};
    for (int row = 0; row < kResponseCount; ++row) {
        EXPECT_EQ(std::string(kResponseTable[row].text, kResponseTable[row].length), expected[row])
            << "row " << row;
        EXPECT_EQ(kResponseTable[row].text[kResponseTable[row].length], '\0');
    }
}

// Kept: C11 (docs/compatibility.md)
TEST(ResponseWatcherTest, MaskSelectsAndTheLowestRowWins) {
    size_t at = 0;
    EXPECT_EQ(ResponseOf(0x03, "\r\nERROR\r\n", &at), 0x02);
    EXPECT_EQ(at, 9u);
    EXPECT_EQ(ResponseOf(0x40, "\r\nERROR\r\n", &at), 0x40);
    EXPECT_EQ(at, 2u);
    EXPECT_EQ(ResponseOf(0x41, "OK\r\n"), 0x01);
    EXPECT_EQ(ResponseOf(0xC0, "\r\nNO CARRIER\r\n"), 0x40);
    EXPECT_EQ(ResponseOf(0x80, "\r\nNO CARRIER\r\n"), 0x80);
    EXPECT_EQ(ResponseOf(0x08, "\r\nCONNECT 115200\r\nCONNECT\r\n"), 0x08);
    // The restart rule takes the second C as CONNECT's sixth byte, then gives up.
    EXPECT_EQ(ResponseOf(0x08, "CONNECONNECT\r\n"), 0);
    EXPECT_EQ(ResponseOf(0x10, std::string("\x10h\x10t")), 0x10);
    EXPECT_EQ(ResponseOf(0x20, std::string("\x10t\x10h")), 0x20);
    EXPECT_EQ(ResponseOf(0x00, "OK\r\nERROR\r\n\r\n"), 0);
}

// Kept: C11 (docs/compatibility.md)
TEST(ResponseWatcherTest, RowsOutsideTheMaskKeepTracking) {
    // "OK\r\n" completes (unmasked) and starts over; the later ERROR still ends.
    EXPECT_EQ(ResponseOf(0x02, "OK\r\nOK\r\nERROR\r\n"), 0x02);
    // An unmasked row must not swallow a byte another row needs.
    EXPECT_EQ(ResponseOf(0x01, "\r\nOK\r\n"), 0x01);
}

// A final result ends an answer only as a line of its own, and means what
// the one table of final results says.
TEST(FinalResultWatcherTest, EndsAtAFinalResultLineAndJudgesIt) {
    constexpr ComVerdict kDone = ComVerdict::Done;
    constexpr ComVerdict kRefused = ComVerdict::Refused;
    constexpr ComVerdict kFailed = ComVerdict::Failed;
    const struct {
        std::string stream;
        uint32_t mask;
        int result;
        size_t at;  // the byte that ended it, 1-based
        ComVerdict verdict;
    } cases[] = {
        {"ATI\r\r\nOK\r\n", kComFinalResults, 0x01, 10, kDone},
        {"OK\r\n", kComFinalResults, 0x01, 4, kDone},  // the answer's start is a line's
        {"\r\nLOOK\r\n\r\nOK\r\n", kComFinalResults, 0x01, 14, kDone},
        {"\r\n^RSSI:12\r\nX\rOK\r\n", kComFinalResults, 0x01, 18, kDone},
        {"\r\nTERROR\r\nERROR\r\n", kComFinalResults, 0x02, 17, kRefused},
        {"\r\nNO CARRIER\r\n", kComFinalResults, 0x80, 14, kFailed},
        {"\r\n+CME ERROR: 50\r\n", kComFinalResults, kComCmeError, 18, kRefused},
        {"\r\n+CME ERROR: operation not allowed\r\n", kComFinalResults, kComCmeError, 37,
         kRefused},
        {"\r\n+CMS ERROR: 500\r\n", kComFinalResults, kComCmsError, 19, kRefused},
        {"AT^U2DIAG=0\r\r\nCOMMAND NOT SUPPORT\r\n", kComFinalResults, kComNotSupported, 35,
         kRefused},
        {"\r\nTOO MANY PARAMETERS\r\n", kComFinalResults, kComTooManyParameters, 23, kRefused},
        {"\r\nX+CME ERROR: 50\r\nCOMMAND NOT SUPPORTED\r\n+CME ERROR: 3\r", kComFinalResults, 0,
         0, kFailed},
        {"\r\n^U2DIAG: 118\r\n\r\nOK\r\n", 0x02 | kComCmeError, 0, 0, kFailed},
        {"OK\r\n", 0x40 | 0x01, 0x01, 4, kDone},  // one byte ends two rows: the lowest wins
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stream);
        FinalResultWatcher watcher(c.mask);
        int result = 0;
        size_t at = 0;
        for (size_t i = 0; i < c.stream.size() && result == 0; ++i) {
            result = watcher.Feed(c.stream[i]);
            at = result != 0 ? i + 1 : 0;
        }
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(at, c.at);
        EXPECT_EQ(ComVerdictOf(result != 0 ? result : kComReadFailed), c.verdict);
    }
}

TEST(AnswerBufferTest, ClearsCutsAndCounts) {
    char answer[5];
    std::memset(answer, '#', sizeof answer);
    int count = 99;
    AnswerBuffer buffer(answer, sizeof answer, &count);
    EXPECT_EQ(count, 0);
    for (char c : std::string("abcdefg")) buffer.Store(c);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(std::string(answer), "abcd");
}

TEST(AnswerBufferTest, NullOrEmptyBufferStoresNothing) {
    int count = 5;
    AnswerBuffer none(nullptr, 10, &count);
    none.Store('x');
    EXPECT_EQ(count, 0);
    char one[1] = {'#'};
    AnswerBuffer tiny(one, 1, &count);
    tiny.Store('x');
    EXPECT_EQ(count, 0);
    EXPECT_EQ(one[0], '\0');
}

// A refusal is the marker followed at once by the digit 0, wherever it comes in
// the stream: after a long flood, after a zero byte, split across reads.
TEST(RefusalWatcherTest, FindsTheMarkerAndItsZeroAnywhereInTheStream) {
    const char* const marker = "(0:FAIL 1:SUCCESS):";
    const std::string flood(3000, '+');
    const struct {
        const char* marker;
        std::string stream;
        bool refused;
    } cases[] = {
        {marker, "\r\nClose autorun state result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n", false},
        {marker, "\r\nClose autorun state result(0:FAIL 1:SUCCESS):0\r\n\r\nOK\r\n", true},
        {marker, "\r\nOpen download mode result(0:FAIL 1:SUCCESS):0\r\n", true},
        {marker, "\r\nOK\r\n", false},  // firmware without the marker
        {marker, flood + "result(0:FAIL 1:SUCCESS):0\r\n\r\nOK\r\n", true},
        {marker, std::string("\r\n\0result(0:FAIL 1:SUCCESS):0\r\n", 31), true},
        {marker, "result(0:FAIL 1:SUCCESS): 0", false},
        {marker, "result(0:FAIL 1:SUCCESS)0", false},
        {marker, "((0:FAIL 1:SUCCESS):0", true},
        {nullptr, "result(0:FAIL 1:SUCCESS):0", false},  // a vendor without refusals
    };
    for (const auto& c : cases) {
        RefusalWatcher watcher(c.marker);
        for (const char byte : c.stream) watcher.Feed(byte);
        EXPECT_EQ(watcher.Refused(), c.refused) << c.stream.substr(0, 80);
    }
}

}  // namespace
