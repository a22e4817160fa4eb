// Why modemswitch passed a port over, and how it chooses ports: each reason
// planted on a simulated port (as root, and as an unprivileged user where the
// reason depends on it), and whole runs on fake sysfs trees built from the
// fixtures of real sticks, their device nodes leading to simulated ports.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fake_sysfs.h"
#include "modemsim_client.h"
#include "program_run.h"
#include "uucp_lock.h"

namespace fs = std::filesystem;

namespace {

ModemSim& Sim() { return ModemSim::Instance(); }

std::string LockPathOf(const std::string& device) {
    return std::string(std::getenv("MODEMSWITCH_LOCK_DIR")) + "/" + comdev::UucpLockName(device);
}

// Another program: a child process under its own name that holds a port
// open with a flock (or holds nothing) until this object goes away.
class OtherProgram {
public:
    OtherProgram(const char* name, const std::string& heldPort) {
        int ready[2];
        if (pipe(ready) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_NAME, name);
            const int fd = heldPort.empty() ? -1 : open(heldPort.c_str(), O_RDWR | O_NOCTTY);
            if (fd >= 0) flock(fd, LOCK_EX | LOCK_NB);
            const char byte = 1;
            (void)!write(ready[1], &byte, 1);
            for (;;) pause();
        }
        char byte = 0;
        (void)!read(ready[0], &byte, 1);  // until it holds the port
        close(ready[0]);
        close(ready[1]);
    }
    ~OtherProgram() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// What a case leaves in place while the program runs, and the line parts it
// expects about COM1 (the "PID" in a part stands for the holder's PID).
struct Planted {
    std::unique_ptr<OtherProgram> other;
    int heldFd = -1;
    std::string lockPath;
    std::vector<std::string> expected;
    Environment env;
    std::string warned;  // once on stderr

    ~Planted() {
        if (heldFd >= 0) close(heldFd);
        if (!lockPath.empty()) unlink(lockPath.c_str());
    }
};

void WriteLock(Planted* planted, const std::string& text) {
    planted->lockPath = LockPathOf(PortPath(1));
    std::ofstream(planted->lockPath) << text;
}

std::string LockText(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

void Nothing(Planted*) {}

void HeldWithFlockHere(Planted* planted) {
    planted->heldFd = open(PortPath(1).c_str(), O_RDWR | O_NOCTTY);
    flock(planted->heldFd, LOCK_EX | LOCK_NB);
    planted->expected = {"занят: его держит процесс " + std::to_string(getpid()) +
                         " (modemswitch_cli)."};
}

void NamedInALiveLock(Planted* planted) {
    planted->other = std::make_unique<OtherProgram>("minicom", "");
    WriteLock(planted, LockText(planted->other->Pid()));
    planted->expected = {"занят: его держит процесс " + std::to_string(planted->other->Pid()) +
                         " (minicom)."};
}

// Any program can call itself ModemManager; only the system's is told as it
// (FakeProc in cli_pieces_test), this one is an ordinary holder.
void HeldByAProgramNamedModemManager(Planted* planted) {
    planted->other = std::make_unique<OtherProgram>("ModemManager", PortPath(1));
    planted->expected = {"занят: его держит процесс " + std::to_string(planted->other->Pid()) +
                         " (ModemManager)."};
}

// No lock directory: said once, and the port is still taken with flock, so
// one another process holds that way is still refused.
void HeldWithFlockAndNoLockDirectory(Planted* planted) {
    HeldWithFlockHere(planted);
    planted->env = {{"MODEMSWITCH_LOCK_DIR", "/nonexistent"}};
    planted->warned = "каталог файлов блокировки /nonexistent отсутствует или не каталог";
}

// A lock another program has only just made, its PID not yet in it.
void FreshLockWithoutPid(Planted* planted) {
    WriteLock(planted, "");
    planted->expected = {"мешает файл блокировки " + planted->lockPath +
                         " (в нём ещё нет PID, и ему лишь несколько секунд); если порт никто не "
                         "использует, удалите его."};
}

// Something planted in the lock directory under the lock's name.
void FifoAsLock(Planted* planted) {
    planted->lockPath = LockPathOf(PortPath(1));
    mkfifo(planted->lockPath.c_str(), 0666);
    planted->expected = {"мешает файл блокировки " + planted->lockPath + " (это FIFO)"};
}

struct ReasonCase {
    const char* name;
    const char* layout;
    void (*plant)(Planted*);
    bool asNobody;
    std::vector<std::string> expected;  // when the plant sets none
};

class PassedOver : public testing::TestWithParam<ReasonCase> {};

// A switch says why on stdout, status on stderr (its stdout is the report).
TEST_P(PassedOver, TheLineAboutThePortSaysWhy) {
    const ReasonCase& c = GetParam();
    ASSERT_TRUE(Sim().Available()) << "run beside the simulator (with_modemsim.sh)";
    ASSERT_TRUE(Sim().Layout(c.layout));
    Planted planted;
    c.plant(&planted);
    for (const bool status : {false, true}) {
        SCOPED_TRACE(status ? "status" : "modem-only");
        Launch launch(status ? std::vector<std::string>{"status", "--port", PortPath(1)}
                             : std::vector<std::string>{"modem-only", "--yes", "--port", PortPath(1)});
        launch.asNobody = c.asNobody;
        launch.env = planted.env;
        const Finished run = ProgramRun(launch).Wait();
        if (!planted.warned.empty()) {
            EXPECT_EQ(run.err.find(planted.warned), run.err.rfind(planted.warned)) << run.err;
            EXPECT_NE(run.err.find(planted.warned), std::string::npos) << run.err;
        }

        EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
        const std::string& told = status ? run.err : run.out;
        const std::string prefix = "ОШИБКА: не удалось обнаружить модем.\n" + PortPath(1) + ": ";
        const size_t at = told.find(prefix);
        ASSERT_NE(at, std::string::npos) << told;
        const size_t from = at + prefix.size();
        const std::string line = told.substr(from, told.find('\n', from) - from);
        for (const std::string& part : planted.expected.empty() ? c.expected : planted.expected) {
            EXPECT_NE(line.find(part), std::string::npos) << "«" << part << "» not in «" << line << "»";
        }
        EXPECT_EQ(line.find('\033'), std::string::npos) << "a modem's escape reached the terminal";
    }
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    EachReason, PassedOver,
    testing::Values(
        ReasonCase{"DoesNotExist",       "",                            Nothing,             false,
                   {"нет такого устройства."}},
        ReasonCase{"PermissionDenied",   "COM1=silent",                 Nothing,             true,
                   {"нет прав на его открытие. Добавьте себя в группу dialout: sudo usermod -aG "
                    "dialout $USER, затем войдите в систему заново."}},
        ReasonCase{"HeldWithFlock",      "COM1=silent",                 HeldWithFlockHere,   false, {}},
        ReasonCase{"NoLockDirectory",    "COM1=silent",                 HeldWithFlockAndNoLockDirectory, false, {}},
        ReasonCase{"NamedInALiveLock",   "COM1=silent",                 NamedInALiveLock,    false, {}},
        ReasonCase{"NamedModemManager",  "COM1=silent",                 HeldByAProgramNamedModemManager, false, {}},
        ReasonCase{"FreshLockFile",      "COM1=silent",                 FreshLockWithoutPid, false, {}},
        ReasonCase{"FifoAsLockFile",     "COM1=silent",                 FifoAsLock,          false, {}},
        ReasonCase{"NoAnswer",           "COM1=silent",                 Nothing,             false,
                   {"нет ответа за 100 мс."}},
        ReasonCase{"NotZteOrHuawei",     "COM1=zte,ident=Acme%1B[2J%0D%0AModel%20X", Nothing, false,
                   {"ответил, но это не модем ZTE или Huawei: \"Acme\\x1b[2J\"."}}),
    [](const testing::TestParamInfo<ReasonCase>& info) { return info.param.name; });
// clang-format on

TEST(Verbose, TellsEachPortAsItIsTried) {
    ASSERT_TRUE(Sim().Layout("COM1=silent COM2=zte"));
    const Finished run =
        RunProgram({"modem-only", "--yes", "--verbose", "--port", PortPath(1), "--port", PortPath(2)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("Поиск модема.\n" + PortPath(1) +
                           ": нет ответа за 100 мс.\n\nНайден модем ZTE.\nПорт модема: " +
                           PortPath(2) + ".\n"),
              std::string::npos)
        << run.out;
}

// --- Choosing ports by what sysfs tells -----------------------------------

// A fake /sys from a fixture, and a fake /dev whose nodes lead to simulated
// ports.
class FakeMachine {
public:
    FakeMachine(const char* fixture, const std::vector<std::pair<std::string, int>>& nodes) {
        char dir[] = "/tmp/cli-ports-test.XXXXXX";
        root_ = mkdtemp(dir) != nullptr ? dir : "";
        chmod(root_.c_str(), 0755);  // a run as nobody reads it too
        std::string error;
        const std::string text = ReadFixture(std::string(SYSFS_FIXTURES) + "/" + fixture);
        EXPECT_TRUE(BuildFakeSysfs(text, Sysfs(), &error)) << fixture << ": " << error;
        fs::create_directories(Dev());
        for (const auto& [name, com] : nodes) fs::create_symlink(PortPath(com), Dev() + "/" + name);
    }
    ~FakeMachine() { fs::remove_all(root_); }

    std::string Sysfs() const { return root_ + "/sys"; }
    std::string Dev() const { return root_ + "/dev"; }
    // A run of the program on this machine.
    Finished Run(const std::vector<std::string>& args, bool asNobody = false) const {
        Launch launch(args, "", StdoutKind::File,
                      {{"MODEMSWITCH_SYSFS_ROOT", Sysfs()}, {"MODEMSWITCH_DEV_ROOT", Dev()}});
        launch.asNobody = asNobody;
        // The tests' lock directory is root's alone: nobody runs without one.
        if (asNobody) launch.env.push_back({"MODEMSWITCH_LOCK_DIR", ""});
        return ProgramRun(launch).Wait();
    }

private:
    std::string root_;
};

struct MachineCase {
    const char* name;
    const char* fixture;
    std::vector<std::pair<std::string, int>> nodes;  // /dev name -> simulated COM port
    const char* layout;
    int exitCode;
    std::vector<std::string> expected;  // in the log, with DEV for the fake /dev
    std::vector<int> untouched;         // COM ports never opened
};

class SysfsRun : public testing::TestWithParam<MachineCase> {};

TEST_P(SysfsRun, ChoosesPortsAndNamesTheStick) {
    const MachineCase& c = GetParam();
    ASSERT_TRUE(Sim().Layout(c.layout));
    const FakeMachine machine(c.fixture, c.nodes);
    const Finished run = machine.Run({"modem-only", "--yes"});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    // Where no modem is found, status tells the same reasons on stderr.
    const bool notFound = c.exitCode == 1;
    const Finished status = notFound ? machine.Run({"status"}) : Finished{};
    if (notFound) EXPECT_EQ(status.exitCode, 1) << status.err;
    for (std::string part : c.expected) {
        const size_t dev = part.find("DEV");
        if (dev != std::string::npos) part.replace(dev, 3, machine.Dev());
        EXPECT_NE(run.out.find(part), std::string::npos) << "«" << part << "» not in\n" << run.out;
        if (notFound) EXPECT_NE(status.err.find(part), std::string::npos) << status.err;
    }
    for (int com : c.untouched) EXPECT_EQ(Sim().Opens(com), 0) << "COM" << com;
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    RealSticks, SysfsRun,
    testing::Values(
        // The PC UI port first: neither silent port of the stick costs a time-out.
        MachineCase{"HuaweiAtPortFirst", "huawei-e173.txt",
                    {{"ttyUSB0", 1}, {"ttyUSB1", 2}, {"ttyUSB2", 3}},
                    "COM1=silent COM2=silent COM3=huawei", 0,
                    {"Найден модем Huawei.\nПорт модема: DEV/ttyUSB2 (12d1:1436 HUAWEI Mobile, интерфейс 4).\n"},
                    {1, 2}},
        // Manufacturer lines not in the marks' case: the USB identity tells the vendor.
        MachineCase{"HuaweiByItsUsbIdentity", "huawei-e173.txt",
                    {{"ttyUSB0", 1}, {"ttyUSB1", 2}, {"ttyUSB2", 3}},
                    "COM1=silent COM2=silent "
                    "COM3=e3372,ident=Manufacturer:%20Huawei%20Technologies%20Co.%2C%20Ltd.", 0,
                    {"Найден модем Huawei.\nПорт модема: DEV/ttyUSB2 (12d1:1436",
                     "AT^SETPORT=\"FF;12,10,16\"\n\nOK\n"},
                    {1, 2}},
        MachineCase{"ZteByItsUsbIdentity", "zte-mf627.txt",
                    {{"ttyUSB2", 3}}, "COM3=zte,ident=Manufacturer:%20zte%20corporation", 0,
                    {"Найден модем ZTE.\n"}, {}},
        MachineCase{"ZteBeforeACable", "zte-mf627.txt",
                    {{"ttyUSB0", 1}, {"ttyUSB1", 2}, {"ttyUSB2", 3}},
                    "COM1=zte COM2=error COM3=zte", 0,
                    {"Порт модема: DEV/ttyUSB2 (19d2:0031 ZTE CDMA Technologies MSM, интерфейс 1).\n"},
                    {1}},
        MachineCase{"SticksInCdMode", "cd-mode.txt", {}, "", 1,
                    {"ОШИБКА: не удалось обнаружить модем.\n"
                     "Последовательных портов нет: в /dev нет ни ttyUSB*, ни ttyACM*. Подключён ли "
                     "модем?\n"
                     "USB-устройство 12d1:1446 HUAWEI Mobile: модем в режиме CD-привода (только "
                     "usb-storage), последовательного порта у него нет. Сначала его должен "
                     "переключить в режим модема usb_modeswitch или правила udev вашего "
                     "дистрибутива; затем modemswitch modem-only может закрепить этот режим.\n",
                     "USB-устройство 19d2:2000 ZTE WCDMA Technologies MSM: модем в режиме CD-привода"},
                    {}},
        MachineCase{"HiLinkStick", "hilink.txt", {}, "", 1,
                    {"ОШИБКА: не удалось обнаружить модем.\n"
                     "Последовательных портов нет: в /dev нет ни ttyUSB*, ни ttyACM*. Подключён ли "
                     "модем?\n"
                     "USB-устройство 12d1:14db HUAWEI_MOBILE: модем HiLink или только сетевой "
                     "(cdc_ether), AT-порта у него нет: пользуйтесь его веб-интерфейсом.\n"},
                    {}}),
    [](const testing::TestParamInfo<MachineCase>& info) { return info.param.name; });
// clang-format on

// --- modemswitch list: the search's order, each port's device and holder -----

struct ListCase {
    const char* name;
    const char* fixture;
    std::vector<std::pair<std::string, int>> nodes;
    std::vector<std::string> args;      // after "list", with DEV for the fake /dev
    int heldCom;                        // a simulated port this test holds open, or 0
    int lockedCom;                      // one a live "minicom" holds by a lock file, or 0
    bool asNobody;
    std::vector<std::string> expected;  // in the output, PID for the holder's
};

class PortList : public testing::TestWithParam<ListCase> {};

std::string WithDev(std::string text, const std::string& dev) {
    for (size_t at = text.find("DEV"); at != std::string::npos; at = text.find("DEV", at)) {
        text.replace(at, 3, dev);
    }
    return text;
}

TEST_P(PortList, ShowsThePortsInTheSearchsOrderAndOpensNone) {
    const ListCase& c = GetParam();
    ASSERT_TRUE(Sim().Layout("COM1=huawei COM2=huawei COM3=huawei COM4=zte"));
    const FakeMachine machine(c.fixture, c.nodes);
    const int held = c.heldCom != 0 ? open(PortPath(c.heldCom).c_str(), O_RDWR | O_NOCTTY) : -1;
    const auto minicom = c.lockedCom != 0 ? std::make_unique<OtherProgram>("minicom", "") : nullptr;
    const std::string lockPath = c.lockedCom != 0 ? LockPathOf(PortPath(c.lockedCom)) : "";
    if (minicom) std::ofstream(lockPath) << LockText(minicom->Pid());
    std::vector<std::string> args{"list"};
    for (const std::string& arg : c.args) args.push_back(WithDev(arg, machine.Dev()));
    const Finished run = machine.Run(args, c.asNobody);
    if (held >= 0) close(held);
    if (minicom) unlink(lockPath.c_str());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const pid_t holder = minicom ? minicom->Pid() : getpid();
    for (std::string part : c.expected) {
        part = WithDev(part, machine.Dev());
        const size_t pid = part.find("PID");
        if (pid != std::string::npos) part.replace(pid, 3, std::to_string(holder));
        EXPECT_NE(run.out.find(part), std::string::npos) << "«" << part << "» not in\n" << run.out;
    }
    // Nothing is sent: no port is even opened.
    for (int com = 1; com <= 4; ++com) {
        EXPECT_EQ(Sim().Received(com), "") << "COM" << com;
        if (com != c.heldCom) EXPECT_EQ(Sim().Opens(com), 0) << "COM" << com;
    }
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    Machines, PortList,
    testing::Values(
        // The PC UI port first, the diagnostics port last; the one held named.
        ListCase{"HuaweiStick", "huawei-e173.txt", {{"ttyUSB0", 1}, {"ttyUSB1", 2}, {"ttyUSB2", 3}}, {}, 1, 0, false,
                 {"Порты в том порядке, в каком их проверяет поиск (им ничего не отправлено):\n"
                  "1. DEV/ttyUSB2: 12d1:1436 HUAWEI Mobile, интерфейс 4 \"HUAWEI Mobile Connect - PC UI "
                  "Interface\", драйвер option; свободен.\n"
                  "2. DEV/ttyUSB0: 12d1:1436 HUAWEI Mobile, интерфейс 0, драйвер option; занят: его "
                  "держит процесс PID (modemswitch_cli).\n"
                  "3. DEV/ttyUSB1: 12d1:1436 HUAWEI Mobile, интерфейс 3 \"HUAWEI Mobile Connect - "
                  "Application Interface\", драйвер option; свободен.\n"}},
        // A user outside dialout: the port is there, not theirs to open.
        ListCase{"HuaweiStickAsJsonAsNobody", "huawei-e173.txt", {{"ttyUSB2", 3}}, {"--json"}, 0, 0, true,
                 {"{\"ports\":[{\"port\":\"DEV/ttyUSB2\",\"first\":true,\"exists\":true,"
                  "\"mayOpen\":false,\"usb\":{\"id\":\"12d1:1436\",\"product\":\"HUAWEI Mobile\","
                  "\"interface\":4,\"interfaceName\":\"HUAWEI Mobile Connect - PC UI Interface\","
                  "\"driver\":\"option\"},\"vendor\":\"Huawei\",\"heldBy\":null}],"
                  "\"sticksWithoutPort\":[]}\n"}},
        // A serial cable and a ZTE stick: the stick's ports first, in their
        // order; the one a live lock file names held by its owner.
        ListCase{"StickAfterACable", "zte-mf627.txt",
                 {{"ttyUSB0", 1}, {"ttyUSB1", 2}, {"ttyUSB2", 3}, {"ttyUSB3", 4}}, {}, 0, 4, false,
                 {"1. DEV/ttyUSB1: 19d2:0031 ZTE CDMA Technologies MSM, интерфейс 0, драйвер option; "
                  "свободен.",
                  "\n2. DEV/ttyUSB2: 19d2:0031 ZTE CDMA Technologies MSM, интерфейс 1, драйвер option; ",
                  "\n3. DEV/ttyUSB3: 19d2:0031 ZTE CDMA Technologies MSM, интерфейс 3, драйвер option; "
                  "занят: его держит процесс PID (minicom).\n"
                  "4. DEV/ttyUSB0: 0403:6001 FT232R USB UART, интерфейс 0, драйвер ftdi_sio; "}},
        // Ports given: those only, in their order; one that is not a USB
        // port and one that is not there.
        ListCase{"GivenPortsAsJson", "zte-mf627.txt", {{"ttyS0", 1}, {"ttyUSB3", 4}},
                 {"--json", "-p", "DEV/ttyS0", "--port=DEV/ttyUSB3", "-p", "DEV/ttyUSB9"}, 0, 0, false,
                 {"{\"ports\":[{\"port\":\"DEV/ttyS0\",\"first\":true,\"exists\":true,\"mayOpen\":true,"
                  "\"usb\":null,\"vendor\":null,\"heldBy\":null},"
                  "{\"port\":\"DEV/ttyUSB3\",\"first\":false,\"exists\":true,\"mayOpen\":true,"
                  "\"usb\":{\"id\":\"19d2:0031\",\"product\":\"ZTE CDMA Technologies MSM\","
                  "\"interface\":3,\"interfaceName\":\"\",\"driver\":\"option\"},\"vendor\":\"ZTE\","
                  "\"heldBy\":null},"
                  "{\"port\":\"DEV/ttyUSB9\",\"first\":false,\"exists\":false,\"mayOpen\":false,"
                  "\"usb\":null,\"vendor\":null,\"heldBy\":null}],\"sticksWithoutPort\":[]}\n"}},
        ListCase{"NoSerialPortAtAll", "cd-mode.txt", {}, {}, 0, 0, false,
                 {"Последовательных портов нет: в /dev нет ни ttyUSB*, ни ttyACM*. Подключён ли "
                  "модем?\nUSB-устройство 12d1:1446 HUAWEI Mobile: модем в режиме CD-привода"}},
        ListCase{"HiLinkAsJson", "hilink.txt", {}, {"--json"}, 0, 0, false,
                 {"{\"ports\":[],\"sticksWithoutPort\":[{\"id\":\"12d1:14db\",\"product\":"
                  "\"HUAWEI_MOBILE\",\"kind\":\"network-only\",\"driver\":\"cdc_ether\"}]}\n"}}),
    [](const testing::TestParamInfo<ListCase>& info) { return info.param.name; });
// clang-format on

TEST(SysfsRun, PortsGivenOnTheCommandLineKeepTheirOrder) {
    ASSERT_TRUE(Sim().Layout("COM1=silent COM3=huawei"));
    const FakeMachine machine("huawei-e173.txt", {{"ttyUSB0", 1}, {"ttyUSB2", 3}});
    const Finished run = machine.Run(
        {"modem-only", "--yes", "--port", machine.Dev() + "/ttyUSB0", "--port", machine.Dev() + "/ttyUSB2"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Sim().Opens(1), 1) << "the silent port given first is tried first";
}

}  // namespace
