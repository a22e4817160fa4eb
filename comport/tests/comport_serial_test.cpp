// The port functions over real serial I/O: Wine maps COM ports onto the
// pseudo-terminals of the modem simulator, which plays each port's part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "com_device.h"
#include "comport.h"
#include "modemsim_client.h"

namespace {

const char kOk[] = "\r\nOK\r\n";

class SerialPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ModemSim::Instance().Available()) << "the modem simulator is not running";
        port.handle = comdev::kClosedDevice;
    }
    void TearDown() override { ComClose(&port); }

    void UseLayout(const std::string& layout) { ASSERT_TRUE(ModemSim::Instance().Layout(layout)); }

    void OpenAt115200(int number) {
        ASSERT_EQ(ComOpen(number, &port), 1) << "COM" << number;
        ASSERT_EQ(ComSetLine(&port, 115200), 1);
        ComPurgeRx(&port);
    }

    int Transact(const char* command, uint32_t readMs = 100, uint32_t writeMs = 100) {
        return ComTransact(&port, command, kOk, answer, sizeof answer - 1, &count, readMs, writeMs);
    }

    // Milliseconds a call took.
    template <class Call>
    static DWORD Elapsed(Call&& call) {
        const DWORD start = GetTickCount();
        call();
        return GetTickCount() - start;
    }

    std::string Answer() const { return std::string(answer, count); }

    ComPort port;
    char answer[1024];
    int count = -1;
};

TEST_F(SerialPort, IdentificationIsReadWholeUpToTheTerminator) {
    UseLayout("COM3=zte");
    OpenAt115200(3);
    ASSERT_EQ(Transact("ATI\r\n"), kComOk);
    const std::string got = Answer();
    EXPECT_EQ(got.rfind("ATI\r", 0), 0u) << "the modem echoes the command: " << got;
    EXPECT_NE(got.find("ZTE"), std::string::npos);
    EXPECT_EQ(got.substr(got.size() - 6), kOk);
    EXPECT_EQ(static_cast<size_t>(count), std::strlen(answer));
    EXPECT_EQ(ModemSim::Instance().Received(3), "ATI\r\n");
}

TEST_F(SerialPort, MultiLineAnswerWithoutEcho) {
    UseLayout("COM4=huawei,echo=0");
    OpenAt115200(4);
    ASSERT_EQ(Transact("ATI\r\n"), kComOk);
    const std::string got = Answer();
    EXPECT_EQ(got.rfind("\r\n", 0), 0u) << got;
    EXPECT_NE(got.find("Manufacturer: huawei\r\n"), std::string::npos) << got;
    EXPECT_GE(std::count(got.begin(), got.end(), '\n'), 5);
}

// Kept: C7 (docs/compatibility.md)
TEST_F(SerialPort, SilentPortEndsAfterOneReadTimeout) {
    UseLayout("COM5=silent");
    OpenAt115200(5);
    int result = 0;
    const DWORD ms = Elapsed([&] { result = Transact("ATI\r\n", 100, 100); });
    EXPECT_EQ(result, kComReadFailed);
    EXPECT_EQ(count, 0);
    // Wine has been seen to end a 100 ms read some 15 ms early under load:
    // the point is that it waited for the silence instead of failing at once.
    EXPECT_GE(ms, 50u) << "it waited for the silence";
    EXPECT_LT(ms, 2000u) << "and no longer than a time-out or so";
}

TEST_F(SerialPort, ErrorReplyRunsToSilenceAndKeepsWhatArrived) {
    UseLayout("COM6=error");
    OpenAt115200(6);
    EXPECT_EQ(Transact("ATI\r\n"), kComReadFailed);
    EXPECT_NE(Answer().find("\r\nERROR\r\n"), std::string::npos) << Answer();
}

TEST_F(SerialPort, PortsAboveCom9OpenByTheirDeviceName) {
    UseLayout("COM10=zte COM31=huawei");
    OpenAt115200(10);
    EXPECT_EQ(Transact("ATI\r\n"), kComOk);
    ComClose(&port);
    OpenAt115200(31);
    EXPECT_EQ(Transact("ATI\r\n"), kComOk);
    EXPECT_NE(Answer().find("huawei"), std::string::npos);
}

TEST_F(SerialPort, AbsentAndUnopenablePortsFailToOpen) {
    UseLayout("COM7=locked");
    comdev::OpenFailure failure;
    EXPECT_EQ(ComOpenNamed("COM7", &port, &failure), 0);
    EXPECT_EQ(port.handle, INVALID_HANDLE_VALUE);
    // What Windows answers for a port another program holds.
    EXPECT_EQ(failure.error, ERROR_ACCESS_DENIED);
    EXPECT_EQ(failure.refusal, comdev::OpenRefusal::Busy);
    EXPECT_EQ(ComOpenNamed("COM8", &port, &failure), 0) << "not in the layout";
    EXPECT_EQ(port.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(failure.error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(failure.refusal, comdev::OpenRefusal::Absent);
    ASSERT_TRUE(ModemSim::Instance().Layout("COM8=zte"));
    EXPECT_EQ(ComOpenNamed("COM8", &port, &failure), 1);
    EXPECT_EQ(failure.refusal, comdev::OpenRefusal::None) << "an open that succeeds clears it";
}

// The line and time-outs the device holds once set: 8N1 at the baud asked,
// no flow control, the two time-out constants and nothing else.
// Kept: C13 (docs/compatibility.md)
TEST_F(SerialPort, TheDeviceHoldsTheLineAndTimeOutsSet) {
    UseLayout("COM2=zte");
    OpenAt115200(2);
    ASSERT_EQ(ComSetTimeouts(&port, 250, 300), 1);
    DCB d = {};
    d.DCBlength = sizeof d;
    COMMTIMEOUTS t = {};
    ASSERT_TRUE(GetCommState(port.handle, &d) && GetCommTimeouts(port.handle, &t));
    EXPECT_EQ(std::vector<DWORD>(
                  {d.BaudRate, d.ByteSize, d.Parity, d.StopBits, d.fOutxCtsFlow, d.fOutX, d.fInX}),
              std::vector<DWORD>({115200, 8, NOPARITY, ONESTOPBIT, 0, 0, 0}));
    EXPECT_EQ(std::vector<DWORD>({t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutConstant,
                                  t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                                  t.WriteTotalTimeoutMultiplier}),
              std::vector<DWORD>({250, 300, 0, 0, 0}));
}

// Kept: C12 (docs/compatibility.md)
TEST_F(SerialPort, ReopeningGivesAFreshRecord) {
    UseLayout("COM2=zte");
    OpenAt115200(2);
    ASSERT_EQ(Transact("ATI\r\n", 250, 300), kComOk);
    EXPECT_EQ(port.readTimeout, 250u);
    ComClose(&port);
    ASSERT_EQ(ComOpen(2, &port), 1);
    EXPECT_EQ(port.readTimeout, 1000u);
    EXPECT_EQ(port.writeTimeout, 1000u);
    EXPECT_EQ(port.baud, 2400u);
    EXPECT_EQ(ModemSim::Instance().Opens(2), 2);
}

TEST_F(SerialPort, UnplugDuringATransactionEndsItWithoutHanging) {
    UseLayout("COM9=zte,unplug-on=ATI");
    OpenAt115200(9);
    int first = 0, second = 0;
    const DWORD ms = Elapsed([&] {
        first = Transact("ATI\r\n", 200, 200);
        second = Transact("AT\r\n", 200, 200);
    });
    EXPECT_LT(first, 0);
    EXPECT_LT(second, 0) << "a vanished modem stays gone";
    EXPECT_LT(ms, 5000u);
}

TEST_F(SerialPort, EndlessChatterEndsAtTheRunawayBound) {
    UseLayout("COM11=chatter");
    OpenAt115200(11);
    EXPECT_EQ(Transact("ATI\r\n", 100, 100), kComRunaway);
    EXPECT_EQ(count, static_cast<int>(sizeof answer - 2)) << "the answer is full and cut";
}

// Kept: C9 (docs/compatibility.md)
TEST_F(SerialPort, NulBytesAreStoredLikeAnyOther) {
    UseLayout("COM12=nul");
    OpenAt115200(12);
    ASSERT_EQ(Transact("ATI\r\n"), kComOk);
    EXPECT_GT(static_cast<size_t>(count), std::strlen(answer))
        << "a zero byte sits inside the answer";
    EXPECT_EQ(Answer().substr(count - 6), kOk);
}

TEST_F(SerialPort, TransactAnyEndsOnTheStandardResponses) {
    UseLayout("COM13=zte");
    OpenAt115200(13);
    EXPECT_EQ(ComTransactAny(&port, "AT\r\n", answer, sizeof answer, &count, 0x01, 100, 100), 0x01);
    EXPECT_EQ(ComTransactAny(&port, "AT+NOSUCH\r\n", answer, sizeof answer, &count, 0x03, 100, 100),
              0x02);
    EXPECT_NE(Answer().find("ERROR"), std::string::npos);
    EXPECT_EQ(ComTransactAny(&port, "AT\r\n", answer, sizeof answer, &count, 0x40, 100, 100), 0x40);
}

TEST_F(SerialPort, RawWriteAndRead) {
    UseLayout("COM14=zte,echo=0 COM15=silent");
    OpenAt115200(14);
    EXPECT_EQ(ComWrite(&port, "AT\r", 3, kComKeepTimeout), 3);
    std::string got;
    char chunk[64];
    // The reply may arrive in pieces; read until a short silence.
    for (int n; (n = ComRead(&port, chunk, sizeof chunk, 200)) > 0;) got.append(chunk, n);
    EXPECT_EQ(got, kOk);
    EXPECT_EQ(port.readTimeout, 200u);
    EXPECT_EQ(port.writeTimeout, 1000u);
    ComClose(&port);

    OpenAt115200(15);
    EXPECT_EQ(ComRead(&port, chunk, sizeof chunk, 100), kComReadFailed);
}

}  // namespace
