// The port functions over a scripted device: the time-out rule, the line
// settings, result codes and the failure paths a real port rarely shows.
#include <gtest/gtest.h>

#include <string>

#include "comport.h"
#include "matching.h"  // kRunawayAllowance
#include "scripted_device.h"

namespace {

const char kOk[] = "\r\nOK\r\n";

class ScriptedPort : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedDevice::Reset();
        ASSERT_EQ(ComOpen(4, &port), 1);
        dev().setTimeoutsCalls = 0;
    }
    static ScriptedDevice& dev() { return ScriptedDevice::Current(); }

    int Transact(const char* command, uint32_t readMs = 1000, uint32_t writeMs = 1000) {
        return ComTransact(&port, command, kOk, answer, sizeof answer, &count, readMs, writeMs);
    }

    ComPort port;
    char answer[32];
    int count = -1;
};

// Kept: C12 (docs/compatibility.md)
TEST(ComOpenTest, OpensByNumberWithDefaultsApplied) {
    ScriptedDevice::Reset();
    ComPort port;
    ASSERT_EQ(ComOpen(12, &port), 1);
    auto& dev = ScriptedDevice::Current();
    EXPECT_EQ(dev.opened, "COM12");
    EXPECT_EQ(dev.stopGiven, nullptr);
    EXPECT_EQ(port.handle, ScriptedHandle());
    EXPECT_EQ(port.readTimeout, 1000u);
    EXPECT_EQ(port.writeTimeout, 1000u);
    EXPECT_EQ(port.baud, 2400u);
    EXPECT_EQ(dev.setTimeoutsCalls, 1);
    EXPECT_EQ(dev.readTimeout, 1000u);
    EXPECT_EQ(dev.writeTimeout, 1000u);
    ComClose(&port);
}

// A stand-in token: the core only hands it on.
char g_tokenStandIn;
comdev::StopToken* SomeToken() { return reinterpret_cast<comdev::StopToken*>(&g_tokenStandIn); }

TEST(ComOpenTest, TheNamedOpenHandsOnItsTokenAndGivesBackTheWholeFailure) {
    ScriptedDevice::Reset();
    auto& dev = ScriptedDevice::Current();
    ComPort port;
    comdev::OpenFailure failure;
    ASSERT_EQ(ComOpenNamed("/dev/ttyUSB2", &port, &failure, SomeToken()), 1);
    EXPECT_EQ(dev.opened, "/dev/ttyUSB2");
    EXPECT_EQ(dev.stopGiven, SomeToken());

    dev.failOpen = true;
    dev.openFailure = {5, comdev::OpenRefusal::Busy, {}};
    EXPECT_EQ(ComOpenNamed("COM4", &port, &failure), 0);
    EXPECT_EQ(failure.error, 5);
    EXPECT_EQ(failure.refusal, comdev::OpenRefusal::Busy);
    EXPECT_EQ(ComOpenNamed("COM4", &port, nullptr), 0) << "the failure may go unread";
}

TEST(ComOpenTest, FailuresLeaveTheRecordClosed) {
    ScriptedDevice::Reset();
    EXPECT_EQ(ComOpen(1, nullptr), 0);
    EXPECT_EQ(ScriptedDevice::Current().opened, "") << "a null record touches nothing";

    ComPort port;
    ScriptedDevice::Current().failOpen = true;
    EXPECT_EQ(ComOpen(1, &port), 0);
    EXPECT_EQ(port.handle, comdev::kClosedDevice);

    // A device that refuses the initial time-outs is closed again, so no
    // record ever claims time-outs the device does not use.
    ScriptedDevice::Reset();
    ScriptedDevice::Current().refuseTimeouts = true;
    EXPECT_EQ(ComOpen(1, &port), 0);
    EXPECT_EQ(port.handle, comdev::kClosedDevice);
    EXPECT_EQ(ScriptedDevice::Current().closeCalls, 1);
}

// Kept: C12 (docs/compatibility.md)
TEST(ComCloseTest, ClosesOnceAndToleratesClosedAndNullRecords) {
    ScriptedDevice::Reset();
    ComPort port;
    ASSERT_EQ(ComOpen(2, &port), 1);
    ComClose(&port);
    ComClose(&port);
    ComClose(nullptr);
    EXPECT_EQ(port.handle, comdev::kClosedDevice);
    EXPECT_EQ(ScriptedDevice::Current().closeCalls, 1);
}

TEST_F(ScriptedPort, SetLineHandsTheDeviceTheBaudAndRecordsIt) {
    ASSERT_EQ(ComSetLine(&port, 115200), 1);
    EXPECT_EQ(dev().lastLine.baud, 115200u);
    EXPECT_EQ(port.baud, 115200u);
}

// Kept: C12 (docs/compatibility.md)
TEST_F(ScriptedPort, RefusedLineSettingsKeepTheRecordedBaud) {
    dev().refuseLine = true;
    EXPECT_EQ(ComSetLine(&port, 9600), 0);
    EXPECT_EQ(port.baud, 2400u);
}

// Kept: C8 (docs/compatibility.md)
TEST_F(ScriptedPort, SetTimeoutsKeepsValuesAndRecordsOnlyOnSuccess) {
    ASSERT_EQ(ComSetTimeouts(&port, 250, kComKeepTimeout), 1);
    EXPECT_EQ(dev().readTimeout, 250u);
    EXPECT_EQ(dev().writeTimeout, 1000u);
    EXPECT_EQ(port.readTimeout, 250u);
    EXPECT_EQ(port.writeTimeout, 1000u);

    dev().refuseTimeouts = true;
    EXPECT_EQ(ComSetTimeouts(&port, 50, 60), 0);
    EXPECT_EQ(port.readTimeout, 250u);
    EXPECT_EQ(port.writeTimeout, 1000u);
}

TEST_F(ScriptedPort, PurgeDiscardsInput) {
    EXPECT_EQ(ComPurgeRx(&port), 1);
    EXPECT_EQ(dev().purgeCalls, 1);
}

// Kept: C8 (docs/compatibility.md)
TEST_F(ScriptedPort, TransactionTouchesTimeoutsOnlyWhenTheyChange) {
    dev().Feed(kOk);
    EXPECT_EQ(Transact("AT\r\n", 1000, 1000), kComOk);
    EXPECT_EQ(dev().setTimeoutsCalls, 0);

    dev().Feed(kOk);
    EXPECT_EQ(Transact("AT\r\n", kComKeepTimeout, kComKeepTimeout), kComOk);
    EXPECT_EQ(dev().setTimeoutsCalls, 0);

    dev().Feed(kOk);
    EXPECT_EQ(Transact("AT\r\n", 100, kComKeepTimeout), kComOk);
    EXPECT_EQ(dev().setTimeoutsCalls, 1);
    EXPECT_EQ(dev().readTimeout, 100u);
    EXPECT_EQ(dev().writeTimeout, 1000u);

    dev().Feed(kOk);
    EXPECT_EQ(Transact("AT\r\n", 100, 1000), kComOk);
    EXPECT_EQ(dev().setTimeoutsCalls, 1) << "the device already has 100/1000";
}

TEST_F(ScriptedPort, TransactionFailureCodes) {
    dev().refuseTimeouts = true;
    EXPECT_EQ(Transact("ATI\r\n", 100, 100), kComTimeoutsRefused);
    EXPECT_TRUE(dev().written.empty()) << "nothing is written with wrong time-outs";

    dev().refuseTimeouts = false;
    dev().writeLimit = 3;
    EXPECT_EQ(Transact("ATI\r\n"), kComWriteFailed);
    EXPECT_EQ(dev().readCalls, 0);

    dev().writeLimit = SIZE_MAX;
    dev().failWrite = true;
    EXPECT_EQ(Transact("ATI\r\n"), kComWriteFailed);

    dev().failWrite = false;
    dev().failRead = true;
    EXPECT_EQ(Transact("ATI\r\n"), kComReadFailed);
}

// Kept: C7 (docs/compatibility.md)
TEST_F(ScriptedPort, SilenceEndsWithWhatArrivedKept) {
    dev().Feed("ATI\r\r\nERROR\r\n");
    EXPECT_EQ(Transact("ATI\r\n"), kComReadFailed);
    EXPECT_STREQ(answer, "ATI\r\r\nERROR\r\n");
    EXPECT_EQ(count, 13);
}

// Kept: C7 (docs/compatibility.md)
TEST_F(ScriptedPort, ReadsOneByteAtATimeAndStopsAtTheTerminator) {
    dev().Feed(std::string("AT\r\r\nOK\r\nRING"));
    EXPECT_EQ(Transact("AT\r\n"), kComOk);
    EXPECT_STREQ(answer, "AT\r\r\nOK\r\n");
    EXPECT_EQ(dev().written, "AT\r\n");
    EXPECT_EQ(std::string(dev().input.begin(), dev().input.end()), "RING")
        << "what follows the terminator stays for the next read";
}

TEST_F(ScriptedPort, EmptyOrNullCommandGoesStraightToReading) {
    dev().Feed(kOk);
    EXPECT_EQ(Transact(""), kComOk);
    dev().Feed(kOk);
    EXPECT_EQ(Transact(nullptr), kComOk);
    EXPECT_TRUE(dev().written.empty());
}

// Kept: C1 (docs/compatibility.md)
TEST_F(ScriptedPort, LongAnswerIsCutButTheTerminatorStillCounts) {
    const std::string body(100, 'x');
    dev().Feed(body + kOk);
    EXPECT_EQ(Transact(nullptr), kComOk);
    EXPECT_EQ(count, 31);
    EXPECT_EQ(std::string(answer), body.substr(0, 31));
    EXPECT_EQ(answer[31], '\0');
}

TEST_F(ScriptedPort, NullAnswerStillMatches) {
    dev().Feed(kOk);
    count = 7;
    EXPECT_EQ(ComTransact(&port, nullptr, kOk, nullptr, 0, &count, 1000, 1000), kComOk);
    EXPECT_EQ(count, 0);
}

TEST_F(ScriptedPort, EndlessStreamEndsAtTheRunawayBound) {
    // Far more input than the buffer plus the allowance, never the terminator.
    dev().Feed(std::string(sizeof answer + kRunawayAllowance + 100, 'z'));
    EXPECT_EQ(Transact(nullptr), kComRunaway);
    EXPECT_EQ(dev().readCalls, static_cast<int>(sizeof answer + kRunawayAllowance));
    EXPECT_EQ(count, 31);
}

TEST_F(ScriptedPort, AnswerFillingTheWholeBoundIsNotCutShort) {
    // The longest answer the caller can hold arrives whole with its terminator.
    char big[64];
    const std::string body(sizeof big - 1 - 6, 'y');
    dev().Feed(body + kOk);
    EXPECT_EQ(ComTransact(&port, nullptr, kOk, big, sizeof big, &count, 1000, 1000), kComOk);
    EXPECT_EQ(count, 63);
}

// The watched transactions: a refusal counts wherever it arrives, past the
// 31 bytes this buffer keeps and past a zero byte; the time bound gives up a
// stream that trickles (the scripted clock moves on with every read). The
// watched ComTransactAny ends at the first final result that is a line of
// its own, the bytes after it left unread.
TEST_F(ScriptedPort, AWatchedTransactionSeesEveryByteAndKeepsToItsTime) {
    const char marker[] = ":";
    const std::string pastTheStore(100, 'x');
    const struct {
        std::string input;
        uint32_t msPerRead;
        uint32_t totalMs;
        bool any;  // ComTransactAnyWatched, ending at any final result
        int result;
        bool refused;
        int readCalls;
    } cases[] = {
        {":1" + std::string(kOk), 0, 0, false, kComOk, false, 8},
        {":0" + std::string(kOk), 0, 0, false, kComOk, true, 8},
        {pastTheStore + ":0" + kOk, 0, 0, false, kComOk, true, 108},
        {std::string("\0:0", 3) + kOk, 0, 0, false, kComOk, true, 9},
        {pastTheStore + kOk, 10, 500, false, kComRunaway, false, 50},
        {std::string(20, 'y') + kOk, 10, 500, false, kComOk, false, 26},
        {std::string(8000, 'z'), 10, 0, false, kComRunaway, false,
         static_cast<int>(32 + kRunawayAllowance)},
        {":0\r\nLOOK" + std::string(kOk) + kOk, 0, 0, true, 0x01, true, 14},
        {pastTheStore + "\r\nTOO MANY PARAMETERS\r\n" + kOk, 0, 0, true, kComTooManyParameters,
         false, 123},
        {pastTheStore + kOk, 10, 500, true, kComRunaway, false, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 12));
        ScriptedDevice::Reset();
        ASSERT_EQ(ComOpen(4, &port), 1);
        dev().Feed(c.input);
        dev().msPerRead = c.msPerRead;
        ComAnswerWatch watch{marker, c.totalMs, !c.refused};
        EXPECT_EQ(c.any ? ComTransactAnyWatched(&port, "AT\r\n", answer, sizeof answer, &count,
                                                kComFinalResults, 1000, 1000, &watch)
                        : ComTransactWatched(&port, "AT\r\n", kOk, answer, sizeof answer, &count,
                                             1000, 1000, &watch),
                  c.result);
        EXPECT_EQ(watch.refused, c.refused);
        EXPECT_EQ(dev().readCalls, c.readCalls);
        EXPECT_LE(count, 31);
    }
}

// Kept: C11 (docs/compatibility.md)
TEST_F(ScriptedPort, TransactAnyEndsOnTheMaskedResponse) {
    dev().Feed("\r\nERROR\r\n");
    EXPECT_EQ(ComTransactAny(&port, "AT+X\r\n", answer, sizeof answer, &count, 0x03, 1000, 1000),
              0x02);
    EXPECT_STREQ(answer, "\r\nERROR\r\n");

    dev().Feed("\r\nOK\r\n");
    EXPECT_EQ(ComTransactAny(&port, nullptr, answer, sizeof answer, &count, 0x40, 1000, 1000),
              0x40);
    EXPECT_EQ(count, 2) << "the first line end already ends it";

    dev().Feed("OK\r\n");
    EXPECT_EQ(ComTransactAny(&port, nullptr, answer, sizeof answer, &count, 0x41, 1000, 1000), 0x01)
        << "the lowest row wins when one byte ends two";

    dev().input.clear();
    dev().Feed("\r\nNO CARRIER\r\n");
    EXPECT_EQ(ComTransactAny(&port, nullptr, answer, sizeof answer, &count, 0x80, 1000, 1000),
              0x80);

    dev().Feed("\r\nOK\r\n");
    EXPECT_EQ(ComTransactAny(&port, nullptr, answer, sizeof answer, &count, 0, 1000, 1000),
              kComReadFailed)
        << "an empty mask ends only on silence";
}

TEST_F(ScriptedPort, TransactAnySharesTheTransactionFailures) {
    dev().refuseTimeouts = true;
    EXPECT_EQ(ComTransactAny(&port, "AT\r\n", answer, sizeof answer, &count, 1, 5, 5),
              kComTimeoutsRefused);
    dev().refuseTimeouts = false;
    dev().writeLimit = 1;
    EXPECT_EQ(ComTransactAny(&port, "AT\r\n", answer, sizeof answer, &count, 1, 5, 5),
              kComWriteFailed);
}

// Kept: C8 (docs/compatibility.md)
TEST_F(ScriptedPort, RawWriteTouchesOnlyTheWriteTimeout) {
    EXPECT_EQ(ComWrite(&port, "ATZ\r", 4, kComKeepTimeout), 4);
    EXPECT_EQ(dev().setTimeoutsCalls, 0);

    EXPECT_EQ(ComWrite(&port, "AT", 2, 300), 2);
    EXPECT_EQ(dev().setTimeoutsCalls, 1);
    EXPECT_EQ(port.writeTimeout, 300u);
    EXPECT_EQ(port.readTimeout, 1000u);

    EXPECT_EQ(ComWrite(&port, "AT", 0, kComKeepTimeout), kComWriteFailed);
    dev().writeLimit = 1;
    EXPECT_EQ(ComWrite(&port, "AT", 2, kComKeepTimeout), 1) << "a short write reports its count";
    dev().failWrite = true;
    EXPECT_EQ(ComWrite(&port, "AT", 2, kComKeepTimeout), kComWriteFailed);
    dev().refuseTimeouts = true;
    EXPECT_EQ(ComWrite(&port, "AT", 2, 700), kComTimeoutsRefused);
}

// Kept: C8 (docs/compatibility.md)
TEST_F(ScriptedPort, RawReadTouchesOnlyTheReadTimeout) {
    char buffer[8];
    dev().Feed("OK\r\n");
    EXPECT_EQ(ComRead(&port, buffer, sizeof buffer, 200), 4);
    EXPECT_EQ(port.readTimeout, 200u);
    EXPECT_EQ(port.writeTimeout, 1000u);
    EXPECT_EQ(dev().writeTimeout, 1000u);

    EXPECT_EQ(ComRead(&port, buffer, sizeof buffer, 200), kComReadFailed) << "silence";
    dev().Feed("x");
    EXPECT_EQ(ComRead(&port, buffer, 0, 200), kComReadFailed) << "nothing asked, nothing read";
    dev().refuseTimeouts = true;
    EXPECT_EQ(ComRead(&port, buffer, 1, 900), kComTimeoutsRefused);
}

}  // namespace
