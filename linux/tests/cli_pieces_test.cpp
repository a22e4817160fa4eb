// The parts of the command line that need no modem: what a terminal is
// shown, and the search for ModemManager.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "port_holders.h"
#include "modemsim_client.h"
#include "port_paths.h"
#include "program_run.h"
#include "shown_text.h"
#include "terminal_host.h"

namespace {

TEST(TerminalText, ColoursTheTwoMarkerWordsOnlyOnATerminal) {
    const char* text = "\r\nОШИБКА: нет.\r\nВнимание! да. ОШИБКА: снова\r\n";
    EXPECT_EQ(TerminalText(text, false, Language::Russian),
              "\nОШИБКА: нет.\nВнимание! да. ОШИБКА: снова\n");
    EXPECT_EQ(TerminalText(text, true, Language::Russian),
              "\n\033[31mОШИБКА:\033[0m нет.\n\033[1;34mВнимание!\033[0m да. "
              "\033[31mОШИБКА:\033[0m снова\n");
}

// Whatever a modem, a device or a user sends could steer the terminal or
// hide text from the reader; each such byte or character becomes an escape
// that shows what it was, and nothing else changes.
TEST(Shown, BytesThatCouldSteerTheTerminalAreShownAsEscapes) {
    const ShownForm log{ShownLayout::Log}, line{}, ascii{line.layout, true};
    const ShownForm cut{line.layout, false, 8};
    const struct {
        ShownForm form;
        std::string_view sent;
        const char* shown;
    } cases[] = {
        {log, "AT\r\r\n\033[2J\x07\tOK\x7f", "AT\n\\x1b[2J\\x07\tOK\\x7f"},  // C0, DEL
        {line, {"a\r\nb\tc\0!", 8}, "a\\x0d\\x0ab\\x09c\\x00!"},  // a line stays one line
        {log, "a\x9b[31mb", "a\\x9b[31mb"},                       // C1 as a raw byte
        {log, "a\xc2\x9b[31mb\xc2\x80", "a\\u009b[31mb\\u0080"},  // C1 as UTF-8
        {line, "\xe2\x80\xae.exe\xe2\x81\xa6.\xe2\x81\xa9", "\\u202e.exe\\u2066.\\u2069"},  // bidi
        {line, "\xff\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80",  // no UTF-8, overlong, surrogate, past
         "\\xff\\xc0\\xaf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
        {log, "cut \xe2\x80", "cut \\xe2\\x80"},                     // a sequence the text ends in
        {line, "Модем \xc2\xa0\xe2\x82\xac \xf0\x9f\x93\xb6 \\x9b",  // Cyrillic, NBSP, euro, emoji
         "Модем \xc2\xa0\xe2\x82\xac \xf0\x9f\x93\xb6 \\x9b"},
        {ascii, "Мо\xc2\xa0\xf0\x9f\x93\xb6\x1b~", "\\u041c\\u043e\\u00a0\\U0001f4f6\\x1b~"},
        {cut, "0123456789", "01234567..."},
        {cut, "012345\x1b", "012345..."},  // an escape is never cut
        {cut, "01234567", "01234567"},
    };
    for (const auto& c : cases) EXPECT_EQ(Shown(c.sent, c.form), c.shown) << c.shown;
}

// The bar counts the ports the search will try: one port given, one step.
TEST(ProgressBar, CountsThePortsToTry) {
    ASSERT_TRUE(ModemSim::Instance().Layout("COM1=zte"));
    comdev::PortNames onePort;
    ASSERT_TRUE(onePort.Add(PortPath(1).c_str()));
    std::FILE* bar = std::tmpfile();
    ASSERT_NE(bar, nullptr);
    comdev::StopSignals stops;
    TerminalHost host(Language::English, {nullptr, false, bar}, stops);
    const SwitchRequest request{ModemMode::ModemOnly, Language::English, true, false, &stops,
                                &kKnownVendors, &onePort};
    EXPECT_EQ(RunSwitch(host, request), SwitchOutcome::Switched);
    std::rewind(bar);
    char text[4096] = {};
    const size_t got = std::fread(text, 1, sizeof text - 1, bar);
    std::fclose(bar);
    const std::string drawn(text, got);
    EXPECT_NE(drawn.find("] 1/1"), std::string::npos) << drawn;
    EXPECT_EQ(drawn.find("/31"), std::string::npos) << drawn;
}

// A stand-in for /proc with one process: its name, its users and the program it runs.
struct ProcessCase {
    const char* what;
    const char* pid;  // "PID": this process's, which runs
    const char* comm;
    const char* uids;  // the Uid line: real, effective, saved, file system
    const char* exe;   // where its exe link leads; "OWN" a root-owned file outside /usr
    bool modemManager;
};

TEST(FakeProc, OnlyRootRunningTheSystemsProgramCountsAsModemManager) {
    const ProcessCase cases[] = {
        {"the system's", "PID", "ModemManager\n", "0\t0\t0\t0", "/usr/bin/env", true},
        {"a user's process so named", "PID", "ModemManager\n", "1000\t1000\t1000\t1000",
         "/usr/bin/env", false},
        {"set-user-ID root from a user", "PID", "ModemManager\n", "1000\t0\t0\t0",
         "/usr/bin/env", false},
        {"root running a program outside /usr", "PID", "ModemManager\n", "0\t0\t0\t0", "OWN",
         false},
        {"another name", "PID", "ModemManagerX\n", "0\t0\t0\t0", "/usr/bin/env", false},
        {"not a PID", "self", "ModemManager\n", "0\t0\t0\t0", "/usr/bin/env", false},
    };
    for (const ProcessCase& c : cases) {
        SCOPED_TRACE(c.what);
        char dir[] = "/tmp/fake-proc.XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        const bool isPid = std::string(c.pid) == "PID";
        const std::string pid = isPid ? std::to_string(getpid()) : c.pid;
        const std::string process = std::string(dir) + "/" + pid;
        const std::string own = std::string(dir) + "/ModemManager";
        ASSERT_EQ(mkdir(process.c_str(), 0755), 0);
        std::ofstream(process + "/comm") << c.comm;
        std::ofstream(process + "/status") << "Name:\tModemManager\nUid:\t" << c.uids << "\n";
        std::ofstream(own) << "#!/bin/sh\n";
        const bool ownProgram = std::string(c.exe) == "OWN";
        ASSERT_EQ(symlink(ownProgram ? own.c_str() : c.exe, (process + "/exe").c_str()), 0);
        EXPECT_EQ(ModemManagerRuns(dir), c.modemManager);
        if (isPid) EXPECT_EQ(RunningProcess(dir, getpid()).modemManager, c.modemManager);
        for (const char* file : {"/comm", "/status", "/exe"}) unlink((process + file).c_str());
        unlink(own.c_str());
        rmdir(process.c_str());
        rmdir(dir);
    }
}

}  // namespace
