// The client against the running simulator, through real COM ports under Wine
// (tools/test.sh starts both): what a port answers, and what the simulator
// reports back about it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "modemsim_client.h"

namespace {

using namespace std::string_literals;

class ComHandle {
public:
    explicit ComHandle(int com) {
        const std::string name = "\\\\.\\COM" + std::to_string(com);
        handle_ = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) return;
        COMMTIMEOUTS timeouts{};
        timeouts.ReadTotalTimeoutConstant = 100;  // a read ends after 100 ms without input
        timeouts.WriteTotalTimeoutConstant = 1000;
        SetCommTimeouts(handle_, &timeouts);
    }
    ~ComHandle() {
        if (IsOpen()) CloseHandle(handle_);
    }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // Writes `command`, then reads until a 100 ms pause.
    std::string Transact(const std::string& command) {
        DWORD count = 0;
        if (!WriteFile(handle_, command.data(), static_cast<DWORD>(command.size()), &count,
                       nullptr)) {
            return "<write failed>";
        }
        std::string reply;
        char buffer[512];
        while (ReadFile(handle_, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            reply.append(buffer, count);
        }
        return reply;
    }

private:
    HANDLE handle_;
};

class ModemSimClient : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim().Available()) << sim().LastError(); }
    static ModemSim& sim() { return ModemSim::Instance(); }
};

TEST_F(ModemSimClient, PortsAnswerAndTheSimulatorReportsWhatTheyGot) {
    ASSERT_TRUE(sim().Layout("COM3=zte COM12=huawei,echo=0,ident=Huawei%00E173 COM5=locked"));
    {
        ComHandle zte(3);
        ASSERT_TRUE(zte.IsOpen());
        const std::string reply = zte.Transact("ATI\r\n");
        EXPECT_EQ(reply.rfind("ATI\r\n\r\nManufacturer: ZTE CORPORATION\r\nModel: MF627\r\n", 0),
                  0u)
            << reply;
        EXPECT_EQ(zte.Transact("AT+ZCDRUN=8\r"),
                  "AT+ZCDRUN=8\r\r\nClose autorun state result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n");
    }
    EXPECT_EQ(sim().Received(3), "ATI\r\nAT+ZCDRUN=8\r");
    EXPECT_EQ(sim().State(3), "zcdrun=8");
    EXPECT_EQ(sim().Opens(3), 1);

    ComHandle huawei(12);  // two-digit ports open only through \\.\ names
    ASSERT_TRUE(huawei.IsOpen());
    EXPECT_EQ(huawei.Transact("ATI\r"), "\r\nHuawei\0E173\r\n\r\nOK\r\n"s);
    EXPECT_EQ(sim().State(12), "none");
}

// COM1 is left out: where the machine has a serial port of its own
// (/dev/ttyS0), Wine registers COM1 for it, and that name still opens, as a
// dead device, while its link leads nowhere.
TEST_F(ModemSimClient, LockedAndAbsentPortsCannotBeOpened) {
    ASSERT_TRUE(sim().Layout("COM5=locked COM6=zte"));
    for (int com : {2, 5, 7, 10, 31}) {
        ComHandle port(com);
        EXPECT_FALSE(port.IsOpen()) << "COM" << com;
    }
    EXPECT_EQ(sim().Opens(5), 0);
    EXPECT_EQ(sim().Opens(7), -1) << "no modem there";
    EXPECT_EQ(sim().State(7), "");
}

TEST_F(ModemSimClient, RefusedLayoutKeepsThePreviousOne) {
    ASSERT_TRUE(sim().Layout("COM4=huawei"));
    EXPECT_FALSE(sim().Layout("COM4=modem"));
    EXPECT_EQ(sim().LastError().rfind("error COM4: unknown personality", 0), 0u)
        << sim().LastError();
    ComHandle huawei(4);
    ASSERT_TRUE(huawei.IsOpen());
    EXPECT_EQ(huawei.Transact("AT^U2DIAG=257\r"), "AT^U2DIAG=257\r\r\nOK\r\n");
    EXPECT_EQ(sim().State(4), "u2diag=257");
    EXPECT_EQ(sim().Received(4), "AT^U2DIAG=257\r");
}

}  // namespace
