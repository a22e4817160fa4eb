// modemswitch started as a program beside the simulator, its output going to
// files (not a terminal): exit codes, usage errors, the port order, the
// prompt, and plain text without colour.
#include <iconv.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "cli_options.h"
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
    // Each command once (the modem's echo dropped), and the way back on Linux.
    EXPECT_NE(zte.out.find("\nAT+ZCDRUN=8\n\nClose autorun"), std::string::npos) << zte.out;
    EXPECT_EQ(zte.out.find("AT+ZCDRUN=E\nAT+ZCDRUN=E"), std::string::npos) << zte.out;
    EXPECT_NE(zte.out.find("Режим изменен.\n\nВернуть модему режим «Доп. функции» можно этой же "
                           "программой: modemswitch extra.\n"),
              std::string::npos)
        << zte.out;
    ExpectPlainText(zte);
    EXPECT_EQ(sim().State(2), "zcdrun=E");

    const Finished huawei = Switch("COM3=huawei", "extra");
    EXPECT_EQ(huawei.exitCode, 0) << huawei.out << huawei.err;
    EXPECT_EQ(sim().State(3), "u2diag=257");
    EXPECT_NE(huawei.out.find("\nAT^U2DIAG=257\n\nOK\n"), std::string::npos) << huawei.out;
    EXPECT_NE(huawei.out.find("программой: modemswitch modem-only.\n"), std::string::npos);
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
    // A ZTE refusal: result digit 0, then OK.
    EXPECT_EQ(Switch("COM1=zte,fail-on=AT+ZCDRUN=8", "modem-only").exitCode, 2);
    // Unplugged in the middle of the commands: a negative result, no hang.
    EXPECT_EQ(Switch("COM1=huawei,unplug-on=AT^U2DIAG=0", "modem-only").exitCode, 2);
    // A stray or late answer is no command's: a stray OK after ATI on a
    // HiLink stick, after a confirmed command, a late answer to the guard's
    // query, ZTE's :1 with a stray OK and then :0.
    const struct {
        const char* layout;
        const char* state;
    } hostile[] = {
        {"COM1=huawei,u2diag=118,stray-ok-on=ATI", "none"},
        {"COM1=huawei,stray-ok-on=AT^U2DIAG?,stray-ms=0,error-on=AT^U2DIAG=0", "none"},
        {"COM1=huawei,late-on=AT^U2DIAG?,error-on=AT^U2DIAG=0", "none"},
        {"COM1=zte,stray-ok-on=AT+ZCDRUN=8,stray-ms=0,fail-on=AT+ZCDRUN=E", "zcdrun=8"},
    };
    for (const auto& [layout, state] : hostile) {
        const Finished run = Switch(layout, "modem-only");
        EXPECT_EQ(run.exitCode, 2) << layout << "\n" << run.out;
        EXPECT_EQ(run.out.find("Режим изменен."), std::string::npos) << layout << run.out;
        EXPECT_EQ(sim().State(1), state) << layout;
    }
}

// A ZTE stick that floods its SIM report before it answers: the answer the
// log keeps is cut inside a report line, and the next command still starts
// a line of its own.
TEST_F(CommandLine, AFloodedAnswerIsConfirmedAndTheNextCommandHasItsOwnLine) {
    const Finished run = Switch("COM1=zte,flood-on=AT+ZCDRUN=8,flood-lines=231", "modem-only");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("+ZUSIM\nAT+ZCDRUN=E\n"), std::string::npos) << run.out;
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
        {"status", "--port", "/dev/" + std::string(comdev::kPortNameSize, 'x')},
    };
    for (const auto& args : bad) {
        const Finished run = RunProgram(args);
        EXPECT_EQ(run.exitCode, 64) << testing::PrintToString(args);
        EXPECT_EQ(run.err.rfind("modemswitch: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("использование: modemswitch"), std::string::npos);
    }
    std::vector<std::string> tooMany = {"extra", "--yes"};
    for (size_t i = 0; i <= kMaxPorts; ++i) tooMany.insert(tooMany.end(), {"--port", PortPath(1)});
    EXPECT_EQ(RunProgram(tooMany).exitCode, 64);
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
        for (const char* name : {"-p, --port=", "-y, --yes", "-q, --quiet", "-v, --verbose",
                                 "--force", "--json", "--show-imei", "-h, --help", "-V, --version", "list ",
                                 "MODEMSWITCH_LOCK_DIR", "NO_COLOR", "MODEMSWITCH_SYSFS_ROOT",
                                 "MODEMSWITCH_DEV_ROOT", " 100 ", "\n  71 ", "\n  74 ", "128+N"}) {
            EXPECT_NE(run.out.find(name), std::string::npos) << language.locale << ": " << name;
        }
    }
    const Finished english = RunProgram({"turbo"}, "", "en_US.UTF-8");
    EXPECT_EQ(english.err,
              "modemswitch: unknown command turbo\nusage: modemswitch [OPTION]... "
              "modem-only|extra\n       modemswitch [OPTION]... status|list\nmore: "
              "modemswitch --help\n");
}

// Where the output is the result, output that cannot be written fails the
// run (74); a switch's exit code tells the switch (ClosedFullOrVanishing...).
TEST_F(CommandLine, VersionIsTheProjectsOwnAndUnwrittenResultsExitSeventyFour) {
    ASSERT_TRUE(sim().Layout("COM1=zte"));
    const struct {
        std::vector<std::string> args;
        StdoutKind out;
        int exitCode;
    } cases[] = {
        {{"--version"}, StdoutKind::File, 0},
        {{"--version"}, StdoutKind::Full, 74},
        {{"--help"}, StdoutKind::Full, 74},
        {{"status", "--json", "--port", PortPath(1)}, StdoutKind::Full, 74},
        {{"list", "--port", PortPath(1)}, StdoutKind::Full, 74},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Finished run = ProgramRun(Launch{c.args, "", c.out}).Wait();
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        if (c.out == StdoutKind::File) EXPECT_EQ(run.out, "modemswitch " MODEMSWITCH_VERSION "\n");
    }
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

// text (UTF-8) in codeset, as a terminal set up for it sends and shows it.
std::string InCodeset(const std::string& text, const char* codeset) {
    const iconv_t converter = iconv_open(codeset, "UTF-8");
    std::string in = text, out(text.size() * 4, '\0');
    char* from = &in[0];
    char* to = &out[0];
    size_t left = in.size(), room = out.size();
    iconv(converter, &from, &left, &to, &room);
    iconv_close(converter);
    out.resize(out.size() - room);
    return out;
}

// The question, once the stick is found, names it, its port and the mode it
// reports, in the locale's codeset (in English ASCII where that cannot be
// written); its answer is read in it, a letter or a word in any case. Before
// a yes the stick gets only ATI and the read-only mode query.
TEST_F(CommandLine, FindsThenAsksInTheLocalesCodesetAndANoChangesNothing) {
    const std::string port = PortPath(1);
    const std::string ruText = "Переключить ZTE MF627 на " + port +
                               ", сейчас «Доп. функции» (autorun 1), в режим «Только модем»? [д/Н]";
    const std::string enText = "Switch the ZTE MF627 on " + port +
                               ", now \"Extra functions\" (autorun 1), to \"Modem only\"? [y/N]";
    const char* ru = ruText.c_str();
    const char* en = enText.c_str();
    const struct {
        const char* locale;
        const char* codeset;
        const char* typed;  // UTF-8, sent in codeset; null: none, Ctrl-C instead
        int exitCode;
        const char* asked;
    } cases[] = {
        {"ru_RU.UTF-8", "UTF-8", "н\n", 3, ru},
        {"ru_RU.UTF-8", "UTF-8", "no\n", 3, ru},
        {"ru_RU.UTF-8", "UTF-8", "Нет\n", 3, ru},
        {"ru_RU.UTF-8", "UTF-8", "", 3, ru},
        {"ru_RU.UTF-8", "UTF-8", nullptr, 130, ru},
        {"ru_RU.UTF-8", "UTF-8", "Да\n", 0, ru},
        {"ru_RU.UTF-8", "UTF-8", "YES\n", 0, ru},
        {"ru_RU.KOI8-R", "KOI8-R", "д\n", 0, ru},
        {"ru_RU.CP1251", "CP1251", "да\n", 0, ru},
        {"ru_RU.ISO-8859-5", "ISO-8859-5", "нет\n", 3, ru},
        {"ru_RU.NOSUCH", "ASCII", "y\n", 0, en},
        {"ru_RU", "ASCII", "y\n", 0, en},  // no codeset named
        // Codesets in which ASCII is not ASCII: a terminal would get other bytes.
        {"ru_RU.UTF-16", "ASCII", "y\n", 0, en},
        {"ru_RU.UCS-4", "ASCII", "y\n", 0, en},
        {"ru_RU.IBM1025", "ASCII", "y\n", 0, en},  // EBCDIC Cyrillic
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + (c.typed ? c.typed : "Ctrl-C"));
        ASSERT_TRUE(sim().Layout("COM1=zte"));
        Launch launch({"modem-only", "--port", PortPath(1)},
                      c.typed ? InCodeset(c.typed, c.codeset) : "", StdoutKind::File,
                      {{"LC_ALL", c.locale}});
        launch.stdinWaits = c.typed == nullptr;
        ProgramRun program(launch);
        if (c.typed == nullptr) {
            // The question asked: the prompt waits for its answer.
            ASSERT_TRUE(
                Eventually([&] { return program.ErrSoFar().find("[д/Н]") != std::string::npos; }));
            program.Signal(SIGINT);
        }
        const Finished run = program.Wait();
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(InCodeset(c.asked, c.codeset)), std::string::npos) << run.err;
        EXPECT_EQ(sim().State(1), c.exitCode == 0 ? "zcdrun=E" : "none");
        const char* searching = c.asked == ru ? "Поиск модема.\n" : "Searching for the modem.\n";
        EXPECT_EQ(run.out.rfind(InCodeset(searching, c.codeset), 0), 0u) << run.out;
        const std::string asked = "ATI\r\nAT+ZCDRUN=4\r\n";
        EXPECT_EQ(sim().Received(1).rfind(asked, 0), 0u) << sim().Received(1);
        if (c.exitCode != 0) EXPECT_EQ(sim().Received(1), asked);
    }    // A stick that reports the mode asked for is said so and not asked about.
    ASSERT_TRUE(sim().Layout("COM1=zte"));
    const Finished run = ProgramRun(Launch({"extra", "--port", PortPath(1)}, "", StdoutKind::File,
                                           {{"LC_ALL", "C.UTF-8"}}))
                             .Wait();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("is in the mode \"Extra functions\" (autorun 1) already"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.err.find("[y/N]"), std::string::npos) << run.err;
    EXPECT_EQ(sim().Received(1), "ATI\r\nAT+ZCDRUN=4\r\n");
}

TEST_F(CommandLine, QuietPrintsNothing) {
    const Finished run = Switch("COM1=zte", "extra", {"--quiet"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(sim().State(1), "zcdrun=F");
}

// --- modemswitch status ------------------------------------------------------

const char kZteIdentification[] =
    "Manufacturer: ZTE CORPORATION\nModel: MF627\nRevision: BD_MF627V1.0.0B04\n";
const char kHuaweiIdentification[] =
    "Manufacturer: huawei\nModel: E1550\nRevision: 11.608.12.02.143\n";
const char kE3372Identification[] =
    "Manufacturer: huawei\nModel: E3372\nRevision: 22.200.15.00.00\n";

struct StatusCase {
    const char* layout;  // the modem on COM2
    int exitCode;
    const char* lines;     // after the port line
    const char* jsonMode;  // and raw; null: JSON null
    const char* jsonRaw;
    const char* received;  // all the modem got: the probe's ATI, then the query
};

TEST_F(CommandLine, StatusReadsTheModeAndChangesNothing) {
    const std::string zte = std::string("Модем: ZTE\n") + kZteIdentification;
    const std::string huawei = std::string("Модем: Huawei\n") + kHuaweiIdentification;
    const char* zteSent = "ATI\r\nAT+ZCDRUN=4\r\n";
    const char* huaweiSent = "ATI\r\nAT^U2DIAG?\r\n";
    // Firmware that refuses AT^U2DIAG? is asked for AT^SETPORT?.
    const std::string e3372 = std::string("Модем: Huawei\n") + kE3372Identification;
    const char* setportSent = "ATI\r\nAT^U2DIAG?\r\nAT^SETPORT?\r\n";
    const std::string lines[] = {
        zte + "Режим: «Доп. функции» (autorun 1)\n",
        zte + "Режим: «Только модем» (autorun 0)\n",
        huawei + "Режим: «Доп. функции» (^U2DIAG: 257)\n",
        huawei + "Режим: «Только модем» (^U2DIAG: 0)\n",
        huawei + "Режим: прошивка HiLink, переключение в «Только модем» отклоняется (^U2DIAG: "
                 "118)\n",
        huawei + "Режим: модем не ответил на запрос режима AT^U2DIAG?\n",
        zte + "Режим: модем не ответил на запрос режима AT+ZCDRUN=4\n",
        e3372 + "Режим: «Доп. функции» (^SETPORT:A1,A2;12,10,16,A1,A2)\n",
        e3372 + "Режим: «Только модем» (^SETPORT:FF;12,10,16)\n",
    };
    const StatusCase cases[] = {
        {"COM2=zte", 0, lines[0].c_str(), "extra", "autorun 1", zteSent},
        {"COM2=zte,autorun=0", 0, lines[1].c_str(), "modem-only", "autorun 0", zteSent},
        {"COM2=huawei", 0, lines[2].c_str(), "extra", "^U2DIAG: 257", huaweiSent},
        {"COM2=huawei,u2diag=0", 0, lines[3].c_str(), "modem-only", "^U2DIAG: 0", huaweiSent},
        {"COM2=huawei,u2diag=0,u2diag-form=%2000#%20", 0, lines[3].c_str(), "modem-only",
         "^U2DIAG: 0", huaweiSent},
        {"COM2=huawei,u2diag=118", 0, lines[4].c_str(), "hilink", "^U2DIAG: 118", huaweiSent},
        {"COM2=huawei,error-on=AT^U2DIAG?", 2, lines[5].c_str(), "unknown", nullptr, setportSent},
        {"COM2=zte,mute-on=AT+ZCDRUN=4", 2, lines[6].c_str(), "unknown", nullptr, zteSent},
        {"COM2=e3372", 0, lines[7].c_str(), "extra", "^SETPORT:A1,A2;12,10,16,A1,A2", setportSent},
        {"COM2=e3372,setport=FF;12%2C10%2C16", 0, lines[8].c_str(), "modem-only",
         "^SETPORT:FF;12,10,16", setportSent},
    };
    std::vector<std::string> args = {"status"};
    const std::vector<std::string> ports = ThreePorts();
    args.insert(args.end(), ports.begin(), ports.end());
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.layout);
        ASSERT_TRUE(sim().Layout(std::string("COM1=silent ") + c.layout));
        const Finished plain = RunProgram(args);
        EXPECT_EQ(plain.exitCode, c.exitCode) << plain.err;
        EXPECT_EQ(plain.out, "Порт: " + PortPath(2) + "\n" + c.lines);
        EXPECT_EQ(sim().Received(2), c.received);
        EXPECT_EQ(sim().State(2), "none");

        std::vector<std::string> jsonArgs = args;
        jsonArgs.push_back("--json");
        const Finished json = RunProgram(jsonArgs);
        EXPECT_EQ(json.exitCode, c.exitCode);
        const nlohmann::json object = nlohmann::json::parse(json.out, nullptr, false);
        ASSERT_TRUE(object.is_object()) << json.out;
        EXPECT_EQ(object["port"], PortPath(2));
        EXPECT_EQ(object["mode"], c.jsonMode);
        EXPECT_EQ(object["raw"], c.jsonRaw ? nlohmann::json(c.jsonRaw) : nlohmann::json(nullptr));
        EXPECT_FALSE(object.contains("imei"));
    }
}

TEST_F(CommandLine, StatusWithoutAModemExitsOne) {
    ASSERT_TRUE(sim().Layout("COM1=silent COM2=error"));
    for (const char* option : {"--quiet", "--json"}) {
        const Finished run =
            RunProgram({"status", option, "--port", PortPath(1), "--port", PortPath(2)});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        // Why, port by port, as a switch says it.
        EXPECT_EQ(run.err, "ОШИБКА: не удалось обнаружить модем.\n" + PortPath(1) +
                               ": нет ответа за 100 мс.\n" + PortPath(2) +
                               ": ответил, но это не модем ZTE или Huawei: \"ERROR\".\n")
            << run.err;
    }
}

// A modem's identification with quotes, an escape sequence, a tab and a byte
// that is not UTF-8: valid JSON all the same, and a harmless line on a terminal.
TEST_F(CommandLine, StatusJsonStaysValidWhateverTheModemSends) {
    ASSERT_TRUE(sim().Layout(
        "COM1=zte,ident=Manufacturer:%20ZTE%20%22Q%22%1B[2J%FF%0D%0AModel:%20MF%09627%0D%0A"
        "IMEI:%20356795020393817%0D%0ARevision:%20%7F%C2%9B%E2%80%AE%E2%81%A6"));
    const Finished run = RunProgram({"status", "--json", "--port", PortPath(1)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json object = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(object.is_object()) << run.out;
    EXPECT_EQ(object["vendor"], "ZTE");
    EXPECT_EQ(object["manufacturer"], "ZTE \"Q\"\x1b[2J\xEF\xBF\xBD");  // U+FFFD
    EXPECT_EQ(object["model"], "MF\t627");
    EXPECT_EQ(object["revision"], "\x7f\u009b\u202e\u2066");
    // DEL, C1 and bidirectional controls reach stdout only as escapes.
    for (const char* escape : {"\\u007f\\u009b\\u202e\\u2066", "\\ufffd"}) {
        EXPECT_NE(run.out.find(escape), std::string::npos) << escape << " not in " << run.out;
    }
    for (const char byte : run.out) {
        EXPECT_TRUE((byte >= 0x20 && byte < 0x7f) || byte == '\n') << int(byte) << run.out;
    }
    EXPECT_FALSE(object.contains("imei")) << "the IMEI only on request";

    const Finished imei = RunProgram({"status", "--json", "--show-imei", "--port", PortPath(1)});
    EXPECT_EQ(nlohmann::json::parse(imei.out, nullptr, false)["imei"], "356795020393817");

    const Finished plain = RunProgram({"status", "--port", PortPath(1)});
    EXPECT_NE(plain.out.find("Manufacturer: ZTE \"Q\"\\x1b[2J\\xff\n"), std::string::npos)
        << plain.out;
    EXPECT_EQ(plain.out.find("IMEI"), std::string::npos);
    ExpectPlainText(plain);
}

// A port path with a line feed, a tab or an escape stays on its one line,
// and its Cyrillic shows as it is (in ASCII, as escapes), wherever it is shown.
TEST_F(CommandLine, APortPathIsShownOnItsOneLine) {
    ASSERT_TRUE(sim().Layout("COM1=silent COM2=zte"));
    char dir[] = "/tmp/cli-path-test.XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string silent = std::string(dir) + "/a\nb\033[2J";
    const std::string modem = std::string(dir) + "/c\tdП";
    ASSERT_EQ(symlink(PortPath(1).c_str(), silent.c_str()), 0);
    ASSERT_EQ(symlink(PortPath(2).c_str(), modem.c_str()), 0);
    const std::string shownSilent = std::string(dir) + "/a\\x0ab\\x1b[2J";
    const std::string shownModem = std::string(dir) + "/c\\x09dП";

    const Finished status = RunProgram({"status", "--port", modem});
    EXPECT_EQ(status.out.rfind("Порт: " + shownModem + "\nМодем: ZTE\n", 0), 0u) << status.out;
    const Finished ascii = RunProgram({"status", "--port", modem}, "", "C");
    EXPECT_EQ(ascii.out.rfind("Port: " + std::string(dir) + "/c\\x09d\\u041f\n", 0), 0u)
        << ascii.out;
    const Finished run =
        RunProgram({"modem-only", "--yes", "--verbose", "--port", silent, "--port", modem});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    for (const std::string& line : {"\n" + shownSilent + ": нет ответа за 100 мс.\n",
                                    "\nПорт модема: " + shownModem + ".\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
    }
    unlink(silent.c_str());
    unlink(modem.c_str());
    rmdir(dir);
}

// --- After a switch: the mode read back, a HiLink stick left alone -------------

// The log's last line after a switch to mode: the way back.
std::string LogEnd(const std::string& mode) {
    return "программой: modemswitch " + std::string(mode == "extra" ? "modem-only" : "extra") +
           ".\n";
}

struct ReadBackCase {
    const char* layout;
    const char* mode;
    const char* line;  // right after the log
};

TEST_F(CommandLine, AConfirmedSwitchReadsTheModeBackWithoutChangingTheExitCode) {
    const ReadBackCase cases[] = {
        {"COM2=zte", "modem-only", "Модем сообщает режим: «Только модем» (autorun 0).\n"},
        {"COM2=huawei,u2diag=0,mode-on-replug", "extra",
         "Модем сообщает режим: «Только модем» (^U2DIAG: 0), а не заданный; новый режим может "
         "появиться только после переподключения модема (тогда его покажет modemswitch status).\n"},
        {"COM2=huawei,error-on=AT^U2DIAG?", "extra", "Модем не может сообщить свой режим.\n"},
        {"COM2=huawei,u2diag-form=%2000#%20", "extra",
         "Модем сообщает режим: «Доп. функции» (^U2DIAG: 257).\n"},
    };
    for (const ReadBackCase& c : cases) {
        SCOPED_TRACE(c.layout);
        const Finished run = Switch(c.layout, c.mode);
        EXPECT_EQ(run.exitCode, 0) << run.out;
        const std::string tail = LogEnd(c.mode) + c.line;
        EXPECT_TRUE(run.out.size() >= tail.size() &&
                    run.out.compare(run.out.size() - tail.size(), tail.size(), tail) == 0)
            << run.out;
    }
    // Only a confirmed switch asks.
    const Finished refused = Switch("COM2=zte,fail-on=AT+ZCDRUN=8", "modem-only");
    EXPECT_EQ(refused.out.find("сообщает"), std::string::npos) << refused.out;
    EXPECT_EQ(sim().Received(2).find("AT+ZCDRUN=4"), std::string::npos);
}

// Huawei firmware with AT^SETPORT: the value set, the re-plug it needs, and
// the mode read back, which may still be the old one until then.
struct SetportCase {
    const char* layout;
    const char* mode;
    int exitCode;
    const char* state;
    const char* tail;  // the end of the output
};

TEST_F(CommandLine, SticksWithSetportGetTheValueOfTheMode) {
    const auto replug = [](const char* mode) {
        return LogEnd(mode) +
               "Новый режим начнет действовать, когда вы отключите модем от компьютера и "
               "подключите его снова.\nМодем сообщает режим: ";
    };
    const std::string lines[] = {
        replug("modem-only") + "«Только модем» (^SETPORT:FF;12,10,16).\n",
        replug("extra") + "«Доп. функции» (^SETPORT:A1,A2;12,10,16,A1,A2).\n",
        replug("modem-only") + "«Только модем» (^SETPORT:FF;1,3,2).\n",
        replug("modem-only") + "«Доп. функции» (^SETPORT:A1,A2;12,10,16,A1,A2), а не заданный; новый режим "
                 "может появиться только после переподключения модема (тогда его покажет "
                 "modemswitch status).\n",
    };
    const SetportCase cases[] = {
        {"COM2=e3372", "modem-only", 0, "setport=FF;12,10,16", lines[0].c_str()},
        {"COM2=e3372,setport=FF;12%2C10%2C16", "extra", 0, "setport=A1,A2;12,10,16,A1,A2",
         lines[1].c_str()},
        {"COM2=e3131", "modem-only", 0, "setport=FF;1,3,2", lines[2].c_str()},
        {"COM2=e3372,mode-on-replug", "modem-only", 0, "setport=FF;12,10,16", lines[3].c_str()},
        // An E3372h-153 (modem code 1), its answer with blanks: sent without.
        {"COM2=e3372h,setport-blanks", "modem-only", 0, "setport=FF;12,1,16", ""},
        {"COM2=e3131,refuse-set", "modem-only", 2, "none",
         "AT^SETPORT=\"FF;1,3,2\"\n\nERROR\n\n\nОШИБКА: модем не подтвердил переключение "
         "режима.\n"},
    };
    for (const SetportCase& c : cases) {
        SCOPED_TRACE(c.layout);
        const Finished run = Switch(c.layout, c.mode);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_EQ(sim().State(2), c.state);
        const std::string tail = c.tail;
        EXPECT_TRUE(run.out.size() >= tail.size() &&
                    run.out.compare(run.out.size() - tail.size(), tail.size(), tail) == 0)
            << run.out;
    }
}

TEST_F(CommandLine, ModemOnlyOnAHiLinkStickIsRefusedUnlessForced) {
    // The value as a number, however the firmware pads it.
    const struct {
        const char* layout;
        const char* value;
    } hiLinks[] = {
        {"u2diag=118", "118"},
        {"u2diag=119", "119"},
        {"u2diag=118,u2diag-form=#%20", "118"},
        {"u2diag=118,u2diag-form=%200#", "118"},
    };
    for (const auto& [layout, value] : hiLinks) {
        const Finished refused = Switch(std::string("COM2=huawei,") + layout, "modem-only");
        EXPECT_EQ(refused.exitCode, 2);
        // The log ends right after the modem found, with why.
        EXPECT_NE(refused.out.find("Найден модем Huawei."), std::string::npos) << refused.out;
        EXPECT_EQ(refused.out.find("Переключение в режим"), std::string::npos) << refused.out;
        const std::string why =
            std::string("\nОШИБКА: модем Huawei с прошивкой HiLink сообщает ^U2DIAG: ") + value +
            ". На таких модемах";
        EXPECT_NE(refused.out.find(why), std::string::npos) << refused.out;
        EXPECT_NE(refused.out.find("добавьте --force.\n"), std::string::npos);
        EXPECT_EQ(sim().Received(2), "ATI\r\nAT^U2DIAG?\r\n");
        EXPECT_EQ(sim().State(2), "none");
    }
    const Finished forced = Switch("COM2=huawei,u2diag=118", "modem-only", {"--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.out << forced.err;
    EXPECT_EQ(sim().State(2), "u2diag=0");
    // Only modem-only is the risk; extra goes on.
    EXPECT_EQ(Switch("COM2=huawei,u2diag=118", "extra").exitCode, 0);
    EXPECT_EQ(sim().State(2), "u2diag=257");
}

}  // namespace
