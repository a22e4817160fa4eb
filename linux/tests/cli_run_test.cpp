// modemswitch started as a program beside the simulator, its output going to
// files (not a terminal): exit codes, usage errors, the port order, the
// prompt, and plain text without colour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modemsim_client.h"
#include "program_run.h"

namespace {

class CommandLine : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim().Available()) << "run beside the simulator (with_modemsim.sh)";
    }
    static ModemSim& sim() { return ModemSim::Instance(); }

    // The simulated COM1..COM3 as --port arguments, in that order.
    static std::vector<std::string> ThreePorts() {
        return {"--port", PortPath(1), "--port", PortPath(2), "--port", PortPath(3)};
    }

    Finished Switch(const std::string& layout, const std::string& mode,
                    std::vector<std::string> extra = {}) {
        EXPECT_TRUE(sim().Layout(layout)) << layout;
        std::vector<std::string> args = {mode, "--yes"};
        const std::vector<std::string> ports = ThreePorts();
        args.insert(args.end(), ports.begin(), ports.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProgram(args);
    }
};

void ExpectPlainText(const Finished& run) {
    EXPECT_EQ(run.out.find('\033'), std::string::npos) << "colour in a file";
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    EXPECT_EQ(run.err.find('\033'), std::string::npos) << "a progress bar in a file";
}

// --- Exit codes -------------------------------------------------------------

TEST_F(CommandLine, ASwitchedModemExitsZeroWithTheRunsLog) {
    const Finished zte = Switch("COM2=zte", "modem-only");
    EXPECT_EQ(zte.exitCode, 0) << zte.out << zte.err;
    EXPECT_NE(zte.out.find("Поиск модема.\n\nНайден модем ZTE.\nПорт модема: " + PortPath(2) +
                           ".\nПереключение в режим"),
              std::string::npos)
        << zte.out;
    EXPECT_NE(zte.out.find("Режим изменен.\n\nВнимание! "), std::string::npos) << zte.out;
    ExpectPlainText(zte);
    EXPECT_EQ(sim().State(2), "zcdrun=E");

    const Finished huawei = Switch("COM3=huawei", "extra");
    EXPECT_EQ(huawei.exitCode, 0) << huawei.out << huawei.err;
    EXPECT_EQ(sim().State(3), "u2diag=257");
}

TEST_F(CommandLine, NoModemExitsOne) {
    const Finished run = Switch("COM1=silent COM2=error", "modem-only");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("ОШИБКА: не удалось обнаружить модем."), std::string::npos) << run.out;
    ExpectPlainText(run);
}

TEST_F(CommandLine, ASwitchTheModemDoesNotConfirmExitsTwo) {
    const Finished refused = Switch("COM1=zte,error-on=AT+ZCDRUN=8", "modem-only");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.out.find("ОШИБКА: модем не подтвердил переключение режима.\n"),
              std::string::npos)
        << refused.out;
    EXPECT_EQ(refused.out.find("Режим изменен."), std::string::npos) << refused.out;
    // Unplugged in the middle of the commands: a negative result, no hang.
    EXPECT_EQ(Switch("COM1=huawei,unplug-on=AT^U2DIAG=0", "modem-only").exitCode, 2);
}

// --- The command line itself --------------------------------------------------

TEST_F(CommandLine, BadUsageExitsSixtyFourWithoutTouchingAPort) {
    ASSERT_TRUE(sim().Layout("COM1=zte"));
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"turbo"},
        {"modem-only", "extra"},
        {"modem-only", "--colour"},
        {"extra", "-yx"},
        {"extra", "--port"},
    };
    for (const auto& args : bad) {
        const Finished run = RunProgram(args);
        EXPECT_EQ(run.exitCode, 64) << testing::PrintToString(args);
        EXPECT_EQ(run.err.rfind("modemswitch: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("использование: modemswitch"), std::string::npos);
    }
    std::vector<std::string> thirtyTwo = {"extra", "--yes"};
    for (int i = 0; i < 32; ++i) thirtyTwo.insert(thirtyTwo.end(), {"--port", PortPath(1)});
    EXPECT_EQ(RunProgram(thirtyTwo).exitCode, 64);
    EXPECT_EQ(sim().Opens(1), 0);
}

TEST_F(CommandLine, HelpInTheLocalesLanguageNamesEveryOptionAndVariable) {
    const struct {
        const char* locale;
        const char* modes;
    } languages[] = {
        {"ru_RU.UTF-8", "  modem-only        «Только модем»"},
        {"C.UTF-8", "  modem-only        \"Modem only\""},
    };
    for (const auto& language : languages) {
        const Finished run = RunProgram({"--help"}, "", language.locale);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_NE(run.out.find(language.modes), std::string::npos) << run.out;
        for (const char* name :
             {"-p, --port=", "-y, --yes", "-q, --quiet", "-v, --verbose", "--force", "--json",
              "--show-imei", "-h, --help", "-V, --version", "MODEMSWITCH_LOCK_DIR", "NO_COLOR",
              "MODEMSWITCH_SYSFS_ROOT", "MODEMSWITCH_DEV_ROOT", " 100 ", "128+N"}) {
            EXPECT_NE(run.out.find(name), std::string::npos) << language.locale << ": " << name;
        }
    }
    const Finished english = RunProgram({"turbo"}, "", "en_US.UTF-8");
    EXPECT_EQ(english.err,
              "modemswitch: unknown command turbo\nusage: modemswitch [OPTION]... "
              "modem-only|extra\n       modemswitch [OPTION]... status\nmore: "
              "modemswitch --help\n");
}

TEST_F(CommandLine, VersionIsTheProjectsOwn) {
    const Finished run = RunProgram({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "modemswitch " MODEMSWITCH_VERSION "\n");
}

TEST_F(CommandLine, PortsAreTriedInTheOrderGiven) {
    ASSERT_TRUE(sim().Layout("COM1=zte COM2=huawei"));
    const Finished run =
        RunProgram({"modem-only", "--yes", "--port", PortPath(2), "--port", PortPath(1)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("Найден модем Huawei."), std::string::npos) << run.out;
    EXPECT_EQ(sim().Opens(1), 0);
    EXPECT_EQ(sim().State(2), "u2diag=0");
}

TEST_F(CommandLine, AsksFirstAndANoTouchesNothing) {
    ASSERT_TRUE(sim().Layout("COM1=zte"));
    const std::vector<std::string> args = {"modem-only", "--port", PortPath(1)};
    for (const char* no : {"н\n", "no\n", ""}) {
        const Finished declined = RunProgram(args, no);
        EXPECT_EQ(declined.exitCode, 3) << no;
        EXPECT_NE(declined.err.find("Переключение в режим \"Только модем\". Продолжить?"),
                  std::string::npos)
            << declined.err;
    }
    EXPECT_EQ(sim().Opens(1), 0);

    EXPECT_EQ(RunProgram(args, "д\n").exitCode, 0);
    EXPECT_EQ(sim().State(1), "zcdrun=E");
}

TEST_F(CommandLine, QuietPrintsNothing) {
    const Finished run = Switch("COM1=zte", "extra", {"--quiet"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(sim().State(1), "zcdrun=F");
}

}  // namespace
