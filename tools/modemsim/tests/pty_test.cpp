// Round trips through real ptys, opened the way Wine opens a COM port: via
// the prefix's comN link. The simulator runs in this thread, pumped in small
// blocking rounds while the test waits for what a client would see.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <functional>

#include "control.h"
#include "event_loop.h"
#include "simulator.h"

namespace modemsim {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const char kZteAtiTail[] = "+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n";

class PtyTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/modemsim-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        prefix_ = pattern;
        devices_ = std::make_unique<DosDevices>(prefix_);
        std::string error;
        ASSERT_TRUE(devices_->Prepare(&error)) << error;
        simulator_ = std::make_unique<Simulator>(*devices_, log_);
        control_ = std::make_unique<ControlServer>(*simulator_, quit_);
        ASSERT_TRUE(control_->Listen(0, &error)) << error;
        loop_ = std::make_unique<EventLoop>(*simulator_, control_.get(), -1, quit_);
    }

    void TearDown() override {
        for (int fd : clientFds_) close(fd);
        loop_.reset();
        control_.reset();
        simulator_.reset();
        fs::remove_all(prefix_);
    }

    void Apply(const std::string& text) {
        std::string error;
        const auto layout = ParseLayout(text, &error);
        ASSERT_TRUE(layout) << error;
        ASSERT_TRUE(simulator_->ApplyLayout(*layout, &error)) << error;
    }

    // Runs the simulator until `done` holds or `limit` passes; returns done().
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 2000ms) {
        const auto end = Clock::now() + limit;
        while (!done() && Clock::now() < end) loop_->RunOnce(5ms);
        return done();
    }

    void PumpFor(std::chrono::milliseconds span) {
        PumpUntil([] { return false; }, span);
    }

    int OpenPort(int com) {
        const int fd = open(devices_->LinkPath(com).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) clientFds_.push_back(fd);
        return fd;
    }

    void ClosePort(int fd) {
        clientFds_.erase(std::remove(clientFds_.begin(), clientFds_.end(), fd), clientFds_.end());
        close(fd);
    }

    // Whatever the client can read now; sets *hungUp when the modem is gone.
    static std::string ReadNow(int fd, bool* hungUp = nullptr) {
        std::string bytes;
        char buffer[4096];
        ssize_t got;
        while ((got = read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, got);
        if (hungUp != nullptr) *hungUp = got == 0 || (got < 0 && errno == EIO);
        return bytes;
    }

    // Sends `command`, then collects the client's input until it ends with `tail`.
    std::string Transact(int fd, const std::string& command, const std::string& tail) {
        EXPECT_EQ(write(fd, command.data(), command.size()), static_cast<ssize_t>(command.size()));
        std::string reply;
        PumpUntil([&] {
            reply += ReadNow(fd);
            return reply.size() >= tail.size() &&
                   reply.compare(reply.size() - tail.size(), tail.size(), tail) == 0;
        });
        return reply;
    }

    std::string LinkTarget(int com) const {
        return fs::read_symlink(devices_->LinkPath(com)).string();
    }
    bool LinkIsAbsent(int com) const { return LinkTarget(com) == devices_->Nowhere(); }

    std::string prefix_;
    Log log_;
    bool quit_ = false;
    std::unique_ptr<DosDevices> devices_;
    std::unique_ptr<Simulator> simulator_;
    std::unique_ptr<ControlServer> control_;
    std::unique_ptr<EventLoop> loop_;
    std::vector<int> clientFds_;
};

// Absent ports lead nowhere, locked ones to an empty directory: under Wine
// the first fail to open with error 2, the second with error 5 (busy).
TEST_F(PtyTest, LayoutPointsEveryLinkAndAbsentPortsCannotBeOpened) {
    Apply("COM3=zte COM12=huawei COM7=locked COM40=zte");
    EXPECT_EQ(LinkTarget(3).rfind("/dev/pts/", 0), 0u);
    EXPECT_EQ(LinkTarget(12).rfind("/dev/pts/", 0), 0u);
    EXPECT_EQ(LinkTarget(40).rfind("/dev/pts/", 0), 0u);
    EXPECT_EQ(LinkTarget(7), devices_->BusyDir());
    for (int com = kFirstCom; com <= kLastCom; ++com) {
        if (com == 3 || com == 12 || com == 7 || com == 40) continue;
        EXPECT_TRUE(LinkIsAbsent(com)) << com;
    }
    EXPECT_FALSE(fs::exists(devices_->Nowhere()));
    EXPECT_TRUE(fs::is_empty(devices_->BusyDir()));
    EXPECT_LT(OpenPort(8), 0);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_LT(OpenPort(7), 0);
    ASSERT_NE(simulator_->Find(7), nullptr);
    EXPECT_FALSE(simulator_->Find(7)->Present());
    EXPECT_EQ(simulator_->Find(8), nullptr);
}

TEST_F(PtyTest, ClientGetsEchoAndIdentBlockInRawMode) {
    Apply("COM3=zte");
    const int fd = OpenPort(3);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);

    const std::string reply = Transact(fd, "ATI\r", kZteAtiTail);
    EXPECT_EQ(reply.rfind("ATI\r\r\nManufacturer: ZTE CORPORATION\r\n", 0), 0u) << reply;
    EXPECT_EQ(simulator_->Find(3)->GetModem().Received(), "ATI\r");
    EXPECT_EQ(simulator_->Find(3)->Opens(), 1);
}

TEST_F(PtyTest, OpensCountsEachClientSession) {
    Apply("COM5=huawei");
    for (int round = 1; round <= 3; ++round) {
        const int fd = OpenPort(5);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(Transact(fd, "AT\r", "\r\nOK\r\n"), "AT\r\r\nOK\r\n");
        ClosePort(fd);
        EXPECT_TRUE(PumpUntil([&] { return simulator_->Find(5)->Opens() == round; }));
    }
    PumpFor(50ms);
    EXPECT_EQ(simulator_->Find(5)->Opens(), 3);
}

TEST_F(PtyTest, ReopenBeforeTheCloseIsSeenStillGetsItsReply) {
    Apply("COM5=zte,echo=0");
    const int first = OpenPort(5);
    ASSERT_GE(first, 0);
    EXPECT_EQ(Transact(first, "AT\r", "\r\nOK\r\n"), "\r\nOK\r\n");
    ClosePort(first);
    const int second = OpenPort(5);  // no simulator round in between
    ASSERT_GE(second, 0);
    EXPECT_EQ(Transact(second, "ATI\r", kZteAtiTail).rfind("\r\nManufacturer: ZTE", 0), 0u);
    EXPECT_EQ(simulator_->Find(5)->Opens(), 2);
}

// Queries answer for what the client has already done, so a test asking right
// after its own open or close never races the event loop.
TEST_F(PtyTest, QueriesCountOpensAndHandlesTheLoopHasNotServedYet) {
    Apply("COM5=zte");
    SimPort& port = *simulator_->Find(5);
    const int first = OpenPort(5);
    ASSERT_GE(first, 0);
    EXPECT_EQ(port.Opens(), 1);
    ClosePort(first);
    const int second = OpenPort(5);
    ASSERT_GE(second, 0);
    EXPECT_EQ(port.Opens(), 2);
    EXPECT_EQ(port.HeldHandles(), 1);
    const int overlapping = OpenPort(5);
    ASSERT_GE(overlapping, 0);
    EXPECT_EQ(port.Opens(), 3) << "a reopen before the close counts too";
    EXPECT_EQ(port.HeldHandles(), 2);
    ClosePort(second);
    ClosePort(overlapping);
    EXPECT_EQ(port.HeldHandles(), 0);
    EXPECT_EQ(port.Opens(), 3);
}

TEST_F(PtyTest, BytesWrittenJustBeforeCloseAreRecorded) {
    Apply("COM5=silent");
    const int fd = OpenPort(5);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "AT^U2DIAG=0\r", 12), 12);
    ClosePort(fd);
    EXPECT_TRUE(
        PumpUntil([&] { return simulator_->Find(5)->GetModem().Received() == "AT^U2DIAG=0\r"; }));
}

TEST_F(PtyTest, UnplugAfterClosesThePtyAndHidesThePort) {
    Apply("COM4=huawei,unplug-after=4");
    const int fd = OpenPort(4);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "ATI\rAT\r", 7), 7);
    bool hungUp = false;
    EXPECT_TRUE(PumpUntil([&] {
        ReadNow(fd, &hungUp);
        return hungUp;
    }));
    EXPECT_TRUE(LinkIsAbsent(4));
    EXPECT_FALSE(simulator_->Find(4)->Present());
    EXPECT_EQ(simulator_->Find(4)->GetModem().Received(), "ATI\r");
    EXPECT_LT(OpenPort(4), 0);
}

TEST_F(PtyTest, GoneAfterCloseWorksUntilTheFirstClose) {
    Apply("COM6=zte,gone-after-close");
    const int fd = OpenPort(6);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Transact(fd, "AT\r", "\r\nOK\r\n"), "AT\r\r\nOK\r\n");
    // Hidden while still open, so a reopen that races the close fails too.
    EXPECT_TRUE(LinkIsAbsent(6));
    ClosePort(fd);
    EXPECT_TRUE(PumpUntil([&] { return LinkIsAbsent(6); }));
    EXPECT_EQ(simulator_->Find(6)->Opens(), 1);
    EXPECT_LT(OpenPort(6), 0);
}

TEST_F(PtyTest, DelayHoldsTheReplyButNotTheEcho) {
    Apply("COM3=zte,delay-ms=300");
    const int fd = OpenPort(3);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "AT\r", 3), 3);
    std::string seen;
    PumpFor(150ms);
    seen += ReadNow(fd);
    EXPECT_EQ(seen, "AT\r");
    EXPECT_TRUE(PumpUntil([&] {
        seen += ReadNow(fd);
        return seen == "AT\r\r\nOK\r\n";
    }));
}

TEST_F(PtyTest, ChatterStreamsAtLineRateWithoutStallingOtherPorts) {
    Apply("COM8=chatter COM3=zte,echo=0");
    const int chatty = OpenPort(8);
    const int zte = OpenPort(3);
    ASSERT_GE(chatty, 0);
    ASSERT_GE(zte, 0);
    std::string stream;
    const auto start = Clock::now();
    PumpUntil([&] {
        stream += ReadNow(chatty);
        return Clock::now() - start > 500ms;
    });
    // Paced, not flooded: 115200 baud is 11.52 bytes a millisecond (a pty's
    // buffer more at most), however little of it a loaded machine lets through.
    const auto elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_FALSE(stream.empty());
    EXPECT_LE(stream.size(), static_cast<size_t>(elapsedMs * 1152 / 100 + 4096));
    EXPECT_EQ(stream.find("OK"), std::string::npos);
    EXPECT_EQ(Transact(zte, "AT\r", "\r\nOK\r\n"), "\r\nOK\r\n");
}

TEST_F(PtyTest, NewLayoutClosesOldPtysAndClearsRecords) {
    Apply("COM3=zte");
    const int fd = OpenPort(3);
    ASSERT_GE(fd, 0);
    Transact(fd, "AT\r", "\r\nOK\r\n");
    const std::string oldPty = LinkTarget(3);
    Apply("COM3=huawei COM4=zte");
    bool hungUp = false;
    ReadNow(fd, &hungUp);
    EXPECT_TRUE(hungUp);
    EXPECT_EQ(simulator_->Find(3)->GetModem().Received(), "");
    EXPECT_EQ(simulator_->Find(3)->Opens(), 0);
    EXPECT_NE(LinkTarget(4), oldPty);
    Apply("");
    for (int com = kFirstCom; com <= kLastCom; ++com) EXPECT_TRUE(LinkIsAbsent(com)) << com;
}

TEST_F(PtyTest, SimulatorLeavesAllLinksAbsentWhenDestroyed) {
    Apply("COM1=zte COM31=huawei");
    simulator_.reset();
    loop_.reset();
    control_.reset();
    for (int com = kFirstCom; com <= kLastCom; ++com) EXPECT_TRUE(LinkIsAbsent(com)) << com;
}

// A control client that sends one line and pumps the simulator until the reply arrives.
class ControlTest : public PtyTest {
protected:
    void SetUp() override {
        PtyTest::SetUp();
        socket_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(control_->Port()));
        ASSERT_EQ(connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        fcntl(socket_, F_SETFL, O_NONBLOCK);
    }
    void TearDown() override {
        close(socket_);
        PtyTest::TearDown();
    }

    std::string Ask(const std::string& line) {
        const std::string request = line + "\n";
        EXPECT_EQ(send(socket_, request.data(), request.size(), 0),
                  static_cast<ssize_t>(request.size()));
        std::string reply;
        PumpUntil([&] {
            char buffer[4096];
            ssize_t got;
            while ((got = recv(socket_, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, got);
            return !reply.empty() && reply.back() == '\n';
        });
        if (!reply.empty()) reply.pop_back();
        return reply;
    }

    int socket_ = -1;
};

TEST_F(ControlTest, RequestsReportWhatTheModemsSaw) {
    EXPECT_EQ(Ask("ping"), "ok");
    EXPECT_EQ(Ask("layout COM3=zte COM4=huawei,error-on=AT^U2DIAG=0 COM9=locked"), "ok");
    EXPECT_EQ(Ask("received COM3"), "ok");
    EXPECT_EQ(Ask("opens COM3"), "ok 0");
    EXPECT_EQ(Ask("state COM4"), "ok none");
    EXPECT_EQ(Ask("opens COM9"), "ok 0");

    const int zte = OpenPort(3);
    ASSERT_GE(zte, 0);
    Transact(zte, "AT+ZCDRUN=8\r", "\r\n\r\nOK\r\n");
    EXPECT_EQ(Ask("received com3"), "ok 41542b5a434452554e3d380d");
    EXPECT_EQ(Ask("opens COM3"), "ok 1");
    EXPECT_EQ(Ask("state COM3"), "ok zcdrun=8");
    EXPECT_EQ(Ask("held COM3"), "ok 1");
    ClosePort(zte);
    EXPECT_EQ(Ask("held COM3"), "ok 0") << "a close is counted before the answer";

    const int huawei = OpenPort(4);
    ASSERT_GE(huawei, 0);
    EXPECT_EQ(Transact(huawei, "AT^U2DIAG=0\r", "ERROR\r\n"), "AT^U2DIAG=0\r\r\nERROR\r\n");
    Transact(huawei, "AT^U2DIAG=257\r", "OK\r\n");
    EXPECT_EQ(Ask("state COM4"), "ok u2diag=257");
}

TEST_F(ControlTest, BadRequestsGetErrorsAndKeepTheLayout) {
    EXPECT_EQ(Ask("layout COM3=zte"), "ok");
    EXPECT_EQ(Ask("layout COM3=bogus").rfind("error ", 0), 0u);
    EXPECT_EQ(Ask("layout COM3=zte,delay-ms=x").rfind("error ", 0), 0u);
    EXPECT_FALSE(LinkIsAbsent(3));
    EXPECT_EQ(Ask("opens COM5"), "error COM5 has no modem");
    EXPECT_EQ(Ask("state COM40").rfind("error ", 0), 0u);
    EXPECT_EQ(Ask("received").rfind("error ", 0), 0u);
    EXPECT_EQ(Ask("dance").rfind("error ", 0), 0u);
    EXPECT_FALSE(quit_);
    EXPECT_EQ(Ask("quit"), "ok");
    EXPECT_TRUE(quit_);
}

}  // namespace
}  // namespace modemsim
