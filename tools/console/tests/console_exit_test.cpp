// The console host run as a program against the modem simulator: its exit
// code tells how the switch ended, and its output is the run's log.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "modemsim_client.h"
#include "switch_host.h"

namespace {

// ctest starts these tests in the console host's own folder.
constexpr wchar_t kConsoleExe[] = L"modemswitch-console.exe";
constexpr DWORD kRunTimeoutMs = 30000;

struct ConsoleRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string output;  // UTF-8
};

// Reads the file and deletes it.
std::string TakeFile(const wchar_t* path) {
    std::string bytes;
    HANDLE file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

// Runs the console host with one argument, its output going to a file: Wine
// hands a pipe on to background processes, so a pipe might never close.
bool RunConsole(const std::wstring& argument, ConsoleRun* run) {
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"con", 0, path)) return false;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring commandLine = std::wstring(kConsoleExe) + L" " + argument;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process) != FALSE;
    CloseHandle(output);
    if (started) {
        if (WaitForSingleObject(process.hProcess, kRunTimeoutMs) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, STILL_ACTIVE);
        GetExitCodeProcess(process.hProcess, &run->exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    run->output = TakeFile(path);
    return started;
}

struct ExitCase {
    const char* name;
    const char* layout;
    DWORD exitCode;
    const char* lastLine;  // UTF-8, as printed: no carriage returns
};

class ConsoleExit : public testing::TestWithParam<ExitCase> {};

TEST_P(ConsoleExit, ExitCodeAndLogTellHowTheSwitchEnded) {
    const ExitCase& c = GetParam();
    ModemSim& sim = ModemSim::Instance();
    ASSERT_TRUE(sim.Available()) << "modem simulator not reachable; run under tools/test.sh";
    ASSERT_TRUE(sim.Layout(c.layout)) << sim.LastError();

    ConsoleRun run;
    ASSERT_TRUE(RunConsole(L"modem-only", &run)) << "cannot start " << GetLastError();
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    const std::string tail = std::string(c.lastLine) + "\n[finished]\n";
    EXPECT_TRUE(run.output.size() >= tail.size() &&
                run.output.compare(run.output.size() - tail.size(), tail.size(), tail) == 0)
        << run.output;
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    Outcomes, ConsoleExit,
    testing::Values(ExitCase{"Confirmed", "COM1=zte", 0, u8"вашего оператора сотовой связи."},
                    ExitCase{"NoModem", "", 1, u8"ОШИБКА: не удалось обнаружить модем."},
                    ExitCase{"PortGoneAtReopen", "COM1=zte,gone-after-close", 2,
                             u8"ОШИБКА: не удалось открыть порт модема."},
                    ExitCase{"CommandAnsweredError", "COM1=huawei,error-on=AT^U2DIAG=0", 2,
                             u8"ОШИБКА: модем не подтвердил переключение режима."},
                    // A stray or late answer is no command's own.
                    ExitCase{"StrayOkAfterIdentification",
                             "COM1=huawei,stray-ok-on=ATI,error-on=AT^U2DIAG=0", 2,
                             u8"ОШИБКА: модем не подтвердил переключение режима."},
                    ExitCase{"LateAnswer", "COM1=huawei,late-on=AT^U2DIAG=0", 2,
                             u8"ОШИБКА: модем не подтвердил переключение режима."},
                    ExitCase{"ZteStrayOkThenRefusal",
                             "COM1=zte,stray-ok-on=AT+ZCDRUN=8,stray-ms=0,fail-on=AT+ZCDRUN=E", 2,
                             u8"ОШИБКА: модем не подтвердил переключение режима."}),
    [](const testing::TestParamInfo<ExitCase>& info) { return info.param.name; });
// clang-format on

TEST(ConsoleUsage, AWrongArgumentIsTheUsageExitCodeAndNoRun) {
    ConsoleRun run;
    ASSERT_TRUE(RunConsole(L"sideways", &run)) << "cannot start " << GetLastError();
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitUsage));
    EXPECT_EQ(run.output.find("[log cleared]"), std::string::npos) << run.output;
}

}  // namespace
