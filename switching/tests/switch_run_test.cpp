// Whole switch runs against the modem simulator: the exact order of host
// calls, the exact log bytes and what reached the simulated modems.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "held_ports.h"
#include "modemsim_client.h"
#include "recording_host.h"
#include "simulated_ports.h"
#include "vendors.h"

namespace {

using Calls = std::vector<std::string>;

// The program's texts, written out here on their own so that a changed
// byte in the program shows up as a difference.
const char kSearching[] = "Поиск модема.\r\n";
const char kFoundZte[] = "\r\nНайден модем ZTE.\r\n";
const char kFoundHuawei[] = "\r\nНайден модем Huawei.\r\n";
const char kNoModem[] = "\r\nОШИБКА: не удалось обнаружить модем.\r\n";
const char kHeaderModemOnly[] = "Переключение в режим \"Только модем\":\r\n\r\n";
const char kHeaderExtra[] = "Переключение в режим \"Доп. функции\":\r\n\r\n";
const char kDone[] =
    "\r\n\r\nРежим изменен.\r\n\r\nВнимание! Если вы планируете в дальнейшем "
    "переключать режимы модема не удаляйте ПО модема с компьютера. В случае "
    "если ПО было удалено, вы можете вернуть модем в исходное состояние с "
    "помощью утилиты обновления встроенного ПО модема, которую можно скачать "
    "с сайта вашего оператора сотовой связи.\r\n";
const char kPortNotOpened[] = "\r\nОШИБКА: не удалось открыть порт модема.\r\n";
const char kNotConfirmed[] = "\r\n\r\nОШИБКА: модем не подтвердил переключение режима.\r\n";
const char kReplug[] =
    "Новый режим начнет действовать, когда вы отключите модем от компьютера и подключите его "
    "снова.\r\n";
const char kAlreadyInMode[] = "\r\n\r\nМодем уже в этом режиме, команда не отправлена.\r\n";
const char kNoPcUi[] =
    "\r\n\r\nОШИБКА: у модема не было бы порта PC UI (код 2 или 12), через который он "
    "принимает AT-команды, и к нему больше нельзя было бы обратиться; команда не отправлена.\r\n";

std::string Log(const std::string& text) { return "AppendLog " + text; }

Calls Steps(int count) { return Calls(count, "StepProgress"); }

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The calls of a run up to and including the scan's steps.
Calls ScanOpening(int portsTried) {
    return Join({{"ClearLog", "SetProgressRange 0 31", "SetProgressPos 0", Log(kSearching)},
                 Steps(portsTried)});
}

// The calls from the mode header to the end of a run whose port reopened;
// the closing text is the completion text only if the modem confirmed all.
Calls CommandPhase(const std::string& header, const Calls& commandsAndAnswers,
                   const std::string& closing) {
    return Join({{"SetProgressRange 0 2", "SetProgressPos 0", Log(header), "StepProgress"},
                 commandsAndAnswers,
                 {"SetProgressPos 2", Log(closing), "FinishRun"}});
}

std::string LogOf(const Calls& calls) {
    std::string log;
    for (const std::string& call : calls) {
        if (call.rfind("AppendLog ", 0) == 0) log += call.substr(10);
    }
    return log;
}

class SwitchRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim().Available())
            << "modem simulator not reachable (MODEMSIM_CONTROL); run under tools/test.sh";
    }

    static ModemSim& sim() { return ModemSim::Instance(); }

    // Lays out the ports, runs one switch and checks what every run owes:
    // one FinishRun, as its very last call (the dialog may close once it has
    // come), and no port left open (Wine would let a leaked port reopen;
    // Windows would not).
    RecordingHost Run(const std::string& layout, ModemMode mode) {
        EXPECT_TRUE(sim().Layout(layout)) << layout;
        RecordingHost host(mode);
        host.RunOnWorker();
        const Calls& calls = host.Calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "FinishRun"), 1);
        EXPECT_EQ(calls.empty() ? "" : calls.back(), "FinishRun");
        for (int com = 1; com <= 31; ++com) {
            EXPECT_LE(sim().Held(com), 0) << "COM" << com << " left open";
        }
        return host;
    }
};

// --- A modem found and switched: every call, every byte -------------------

// The simulated modem echoes a command line whole, its "\n" included, before
// it answers, so each answer in the log starts with the echo.
struct VendorCase {
    const char* name;
    const char* layout;
    ModemMode mode;
    const char* found;
    const char* header;
    Calls commandsAndAnswers;
    const char* received;  // everything the modem got, probe included
};

class VendorRun : public SwitchRun, public testing::WithParamInterface<VendorCase> {};

// Kept: C5 (docs/compatibility.md)
TEST_P(VendorRun, LogsFoundModemEveryCommandAndAnswerInOrder) {
    const VendorCase& c = GetParam();
    RecordingHost host = Run(c.layout, c.mode);

    const Calls expected =
        Join({ScanOpening(1), {Log(c.found)}, CommandPhase(c.header, c.commandsAndAnswers, kDone)});
    EXPECT_EQ(host.Calls(), expected);
    EXPECT_EQ(host.Outcome(), SwitchOutcome::Switched);
    EXPECT_EQ(host.ProgressPos(), 2);
    EXPECT_EQ(sim().Received(1), c.received);
}

const char kCloseAutorun[] = "\r\nClose autorun state result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n";
const char kOpenAutorun[] = "\r\nOpen autorun state result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n";
const char kCloseDownload[] = "\r\nClose download mode result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n";
const char kOpenDownload[] = "\r\nOpen download mode result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n";

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    ZteAndHuawei, VendorRun,
    testing::Values(
        VendorCase{"ZteModemOnly",
                   "COM1=zte",
                   ModemMode::ModemOnly,
                   kFoundZte,
                   kHeaderModemOnly,
                   {Log("AT+ZCDRUN=8\r\n"), Log(std::string("AT+ZCDRUN=8\r\n") + kCloseAutorun),
                    Log("AT+ZCDRUN=E\r\n"), Log(std::string("AT+ZCDRUN=E\r\n") + kCloseDownload)},
                   "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\n"},
        VendorCase{"ZteExtraFunctions",
                   "COM1=zte",
                   ModemMode::ExtraFunctions,
                   kFoundZte,
                   kHeaderExtra,
                   {Log("AT+ZCDRUN=9\r\n"), Log(std::string("AT+ZCDRUN=9\r\n") + kOpenAutorun),
                    Log("AT+ZCDRUN=F\r\n"), Log(std::string("AT+ZCDRUN=F\r\n") + kOpenDownload)},
                   "ATI\r\nAT+ZCDRUN=9\r\nAT+ZCDRUN=F\r\n"},
        VendorCase{"HuaweiModemOnly",
                   "COM1=huawei",
                   ModemMode::ModemOnly,
                   kFoundHuawei,
                   kHeaderModemOnly,
                   {Log("AT^U2DIAG=0\r\n"), Log("AT^U2DIAG=0\r\n\r\nOK\r\n")},
                   "ATI\r\nAT^U2DIAG=0\r\n"},
        VendorCase{"HuaweiExtraFunctions",
                   "COM1=huawei",
                   ModemMode::ExtraFunctions,
                   kFoundHuawei,
                   kHeaderExtra,
                   {Log("AT^U2DIAG=257\r\n"), Log("AT^U2DIAG=257\r\n\r\nOK\r\n")},
                   "ATI\r\nAT^U2DIAG=257\r\n"}),
    [](const testing::TestParamInfo<VendorCase>& info) { return info.param.name; });
// clang-format on

// --- Huawei firmware that keeps its composition in AT^SETPORT -------------

// Such a stick refuses AT^U2DIAG; the run goes on with its AT^SETPORT value.
struct SetportCase {
    const char* name;
    const char* layout;
    ModemMode mode;
    Calls commandsAndAnswers;  // from the refused AT^U2DIAG on
    Calls closing;
    SwitchOutcome outcome;
    const char* state;  // what the stick was set to
};

class SetportRun : public SwitchRun, public testing::WithParamInterface<SetportCase> {};

TEST_P(SetportRun, GoesOnWithTheValueTheStickReports) {
    const SetportCase& c = GetParam();
    RecordingHost host = Run(c.layout, c.mode);

    const bool modemOnly = c.mode == ModemMode::ModemOnly;
    const std::string u2diag = modemOnly ? "AT^U2DIAG=0\r\n" : "AT^U2DIAG=257\r\n";
    const Calls expected = Join({ScanOpening(1),
                                 {Log(kFoundHuawei), "SetProgressRange 0 2", "SetProgressPos 0",
                                  Log(modemOnly ? kHeaderModemOnly : kHeaderExtra), "StepProgress",
                                  Log(u2diag), Log(u2diag + "\r\nERROR\r\n")},
                                 c.commandsAndAnswers,
                                 {"SetProgressPos 2"},
                                 c.closing,
                                 {"FinishRun"}});
    EXPECT_EQ(host.Calls(), expected);
    EXPECT_EQ(host.Outcome(), c.outcome);
    EXPECT_EQ(sim().State(1), c.state);
}

std::string Answered(const std::string& command, const std::string& reply) {
    return command + "\r\n\r\n" + reply + "\r\n";
}

const char kE3372Listing[] =
    "^SETPORT:A1: CDROM\r\n^SETPORT:A2: SD\r\n^SETPORT:10: 4G MODEM\r\n"
    "^SETPORT:12: 4G PCUI\r\n^SETPORT:13: 4G DIAG\r\n^SETPORT:14: 4G GPS\r\n"
    "^SETPORT:16: 4G NCM\r\n\r\nOK";

Calls Query(const char* value) {
    return {Log("AT^SETPORT?\r\n"),
            Log(Answered("AT^SETPORT?", std::string("^SETPORT:") + value + "\r\n\r\nOK"))};
}

Calls Set(const std::string& before, const std::string& value, const char* reply) {
    const std::string command = "AT^SETPORT=\"" + value + "\"";
    const std::string restore = before[0] == ';' ? "FF" + before : before;
    return {Log("\r\nСостав портов модема до изменения: " + before +
                ". Вернуть его можно командой AT^SETPORT=\"" + restore + "\".\r\n"),
            Log(command + "\r\n"), Log(Answered(command, reply))};
}

const Calls kSwitched{Log(kDone), Log(kReplug)};

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    ModemOnlyAndExtra, SetportRun,
    testing::Values(
        SetportCase{"E3372ModemOnly", "COM1=e3372", ModemMode::ModemOnly,
                    Join({Query("A1,A2;12,10,16,A1,A2"),
                          Set("A1,A2;12,10,16,A1,A2", "FF;12,10,16", "OK")}),
                    kSwitched, SwitchOutcome::Switched, "setport=FF;12,10,16"},
        // The value shows no SD card: the stick's listing tells it has one.
        SetportCase{"E3372ExtraAfterModemOnly", "COM1=e3372,setport=FF;12%2C10%2C16",
                    ModemMode::ExtraFunctions,
                    Join({Query("FF;12,10,16"),
                          {Log("AT^SETPORT=?\r\n"), Log(Answered("AT^SETPORT=?", kE3372Listing))},
                          Set("FF;12,10,16", "A1,A2;12,10,16,A1,A2", "OK")}),
                    kSwitched, SwitchOutcome::Switched, "setport=A1,A2;12,10,16,A1,A2"},
        SetportCase{"E3131ModemOnly", "COM1=e3131", ModemMode::ModemOnly,
                    Join({Query("A1,A2;1,3,2,A1,A2"), Set("A1,A2;1,3,2,A1,A2", "FF;1,3,2", "OK")}),
                    kSwitched, SwitchOutcome::Switched, "setport=FF;1,3,2"},
        SetportCase{"RefusedSet", "COM1=e3131,refuse-set", ModemMode::ModemOnly,
                    Join({Query("A1,A2;1,3,2,A1,A2"),
                          Set("A1,A2;1,3,2,A1,A2", "FF;1,3,2", "ERROR")}),
                    {Log(kNotConfirmed)}, SwitchOutcome::NotConfirmed, "none"},
        SetportCase{"AlreadyInMode", "COM1=e3372,setport=FF;12%2C10%2C16", ModemMode::ModemOnly,
                    Query("FF;12,10,16"), {Log(kAlreadyInMode)}, SwitchOutcome::Switched,
                    "none"},
        // Planted values whose new value would lack the PC UI port: nothing is set.
        SetportCase{"NoPcUi3G", "COM1=e3131,setport=A1%2CA2;1%2C3%2CA1%2CA2",
                    ModemMode::ModemOnly, Query("A1,A2;1,3,A1,A2"), {Log(kNoPcUi)},
                    SwitchOutcome::NotConfirmed, "none"},
        SetportCase{"NoPcUi4G", "COM1=e3372,setport=FF;10%2C16", ModemMode::ExtraFunctions,
                    Join({Query("FF;10,16"),
                          {Log("AT^SETPORT=?\r\n"), Log(Answered("AT^SETPORT=?", kE3372Listing))}}),
                    {Log(kNoPcUi)}, SwitchOutcome::NotConfirmed, "none"},
        // A stick that refuses both commands: the run fails as it always did.
        SetportCase{"NeitherCommand", "COM1=huawei,error-on=AT^U2DIAG=0", ModemMode::ModemOnly,
                    {Log("AT^SETPORT?\r\n"), Log("AT^SETPORT?\r\n\r\nERROR\r\n")},
                    {Log(kNotConfirmed)}, SwitchOutcome::NotConfirmed, "none"}),
    [](const testing::TestParamInfo<SetportCase>& info) { return info.param.name; });
// clang-format on

// --- A session on a kept port, as the command line runs it ----------------

// The stick's generation is learnt once, by queries that change nothing;
// the guard refuses a Huawei stick that reports no readable mode; a stop
// while only queries went out sends nothing that changes the stick. A
// confirmed switch is read back, as the command line does.
struct SessionCase {
    const char* name;
    const char* layout;  // of COM1
    ModemMode mode;
    bool guarded;
    std::optional<RunStage> stopAt;
    SwitchOutcome outcome;
    const char* received;  // after the probe's ATI, the read-back included
    const char* state;
    const char* logged;  // a text the log holds
};

class SessionRun : public SwitchRun, public testing::WithParamInterface<SessionCase> {};

TEST_P(SessionRun, AsksEachCommandOnceAndNeverWhatTheStickRefused) {
    const SessionCase& c = GetParam();
    ASSERT_TRUE(sim().Layout(std::string("COM1=") + c.layout));
    RecordingHost host(c.mode);
    host.request.keepPort = true;
    host.request.guarded = c.guarded;
    host.stopAt = c.stopAt;
    ModemSession session;
    host.RunOnWorker(&session);
    EXPECT_EQ(host.Outcome(), c.outcome);
    ModeReport report{};
    if (c.outcome == SwitchOutcome::Switched) QueryModeOn(&session, &report);
    EXPECT_EQ(sim().Received(1), std::string("ATI\r\n") + c.received);
    EXPECT_EQ(sim().State(1), c.state);
    EXPECT_NE(host.Log().find(c.logged), std::string::npos) << host.Log();
}

const char kUnreported[] = "ОШИБКА: модем Huawei не сообщил свой режим";
constexpr std::optional<RunStage> kNoStop;

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    KeptPort, SessionRun,
    testing::Values(
        SessionCase{"SetportStickModemOnly", "e3372", ModemMode::ModemOnly, true, kNoStop,
                    SwitchOutcome::Switched,
                    "AT^U2DIAG?\r\nAT^SETPORT?\r\nAT^SETPORT=\"FF;12,10,16\"\r\nAT^SETPORT?\r\n",
                    "setport=FF;12,10,16", kReplug},
        // The E3372h-153's value, with blanks after its separators.
        SessionCase{"BlanksInTheValue", "e3372,setport=A1%2CA2;%2012%2C1%2C16%2C%20A1%2C%20A2",
                    ModemMode::ModemOnly, true, kNoStop, SwitchOutcome::Switched,
                    "AT^U2DIAG?\r\nAT^SETPORT?\r\nAT^SETPORT=\"FF;12,1,16\"\r\nAT^SETPORT?\r\n",
                    "setport=FF;12,1,16", "AT^SETPORT=\"A1,A2;12,1,16,A1,A2\""},
        SessionCase{"SetportStickExtra", "e3372,setport=FF;12%2C10%2C16",
                    ModemMode::ExtraFunctions, false, kNoStop, SwitchOutcome::Switched,
                    "AT^U2DIAG?\r\nAT^SETPORT?\r\nAT^SETPORT=?\r\n"
                    "AT^SETPORT=\"A1,A2;12,10,16,A1,A2\"\r\nAT^SETPORT?\r\n",
                    "setport=A1,A2;12,10,16,A1,A2", kReplug},
        SessionCase{"StopWhileOnlyQueried", "e3372,setport=FF;12%2C10%2C16",
                    ModemMode::ExtraFunctions, false, RunStage::Changing, SwitchOutcome::Stopped,
                    "AT^U2DIAG?\r\nAT^SETPORT?\r\nAT^SETPORT=?\r\n", "none", ""},
        // One generation: known by the mark, never asked before the switch.
        SessionCase{"ZteNeedsNoQuery", "zte", ModemMode::ModemOnly, true, kNoStop,
                    SwitchOutcome::Switched, "AT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\nAT+ZCDRUN=4\r\n",
                    "zcdrun=E", kDone},
        // No mode the guard can read: silence, a bare OK, garbage, both queries refused.
        SessionCase{"SilentModeQuery", "huawei,mute-on=AT^U2DIAG?", ModemMode::ModemOnly, true,
                    kNoStop, SwitchOutcome::NotConfirmed, "AT^U2DIAG?\r\n", "none", kUnreported},
        SessionCase{"BareOkForAMode", "nul,reply=%0D%0Ahuawei%0D%0A%0D%0AOK%0D%0A",
                    ModemMode::ModemOnly, true, kNoStop, SwitchOutcome::NotConfirmed,
                    "AT^U2DIAG?\r\n", "none", kUnreported},
        SessionCase{"GarbledMode", "huawei,u2diag-form=x#", ModemMode::ModemOnly, true, kNoStop,
                    SwitchOutcome::NotConfirmed, "AT^U2DIAG?\r\n", "none", kUnreported},
        SessionCase{"BothQueriesRefused", "huawei,error-on=AT^U2DIAG?", ModemMode::ModemOnly,
                    true, kNoStop, SwitchOutcome::NotConfirmed, "AT^U2DIAG?\r\nAT^SETPORT?\r\n",
                    "none", kUnreported},
        // Forced: switched, and its refused query is not asked again to read it back.
        SessionCase{"BothQueriesRefusedForced", "huawei,error-on=AT^U2DIAG?",
                    ModemMode::ModemOnly, false, kNoStop, SwitchOutcome::Switched,
                    "AT^U2DIAG?\r\nAT^SETPORT?\r\nAT^U2DIAG=0\r\n", "u2diag=0", kDone}),
    [](const testing::TestParamInfo<SessionCase>& info) { return info.param.name; });
// clang-format on

// A vendor the program does not know, given as data: its mark, its found
// line and two generations, the first of which the stick refuses.
TEST_F(SwitchRun, AVendorGivenAsDataIsSwitchedByItsGenerations) {
    const auto noReport = [](const char*, ModeReport*) { return false; };
    static const Text kFoundAcme{"\r\nНайден модем Acme.\r\n", "\r\nFound an Acme modem.\r\n"};
    static const Text kAfter{"Перезапустите модем.\r\n", "Restart the modem.\r\n"};
    const Generation oldFirmware{"old",   "AT+ACME?\r\n", noReport, "AT+ACME=OLD\r\n\0",
                                 "\0",    nullptr,        nullptr,  nullptr,
                                 nullptr};
    const Generation newFirmware{"new",   "AT+ACME?\r\n", noReport, "AT+ACME=NEW\r\n\0",
                                 "\0",    nullptr,        nullptr,  nullptr,
                                 &kAfter};
    const Generation* const generations[] = {&oldFirmware, &newFirmware};
    const Vendor acme{"Acme", "ACME", "f00d", kFoundAcme, {generations, 2}};
    const Vendor* const vendors[] = {&acme};
    const VendorList known{vendors, 1};

    ASSERT_TRUE(sim().Layout("COM1=nul,reply=%0D%0AACME%0D%0A%0D%0AOK%0D%0A,error-on=AT+ACME=OLD"));
    RecordingHost host(ModemMode::ModemOnly);
    host.request.vendors = &known;
    host.RunOnWorker();
    EXPECT_EQ(host.Outcome(), SwitchOutcome::Switched);
    EXPECT_EQ(sim().Received(1), "ATI\r\nAT+ACME=OLD\r\nAT+ACME=NEW\r\n");
    EXPECT_EQ(host.Log().find(kFoundAcme.russian), std::string(kSearching).size()) << host.Log();
    EXPECT_NE(host.Log().find(std::string(kDone) + kAfter.russian), std::string::npos);
}

// --- Finding the modem ----------------------------------------------------

// The whole log of a confirmed switch, byte for byte: the completion text
// with its advice still closes it.
// Kept: C5 (docs/compatibility.md)
TEST_F(SwitchRun, AConfirmedSwitchEndsWithTheCompletionText) {
    RecordingHost host = Run("COM1=zte", ModemMode::ModemOnly);

    EXPECT_EQ(host.Log(), std::string(kSearching) + kFoundZte + kHeaderModemOnly +
                              "AT+ZCDRUN=8\r\n" + "AT+ZCDRUN=8\r\n" + kCloseAutorun +
                              "AT+ZCDRUN=E\r\n" + "AT+ZCDRUN=E\r\n" + kCloseDownload + kDone);
    EXPECT_EQ(host.Outcome(), SwitchOutcome::Switched);
}

// Kept: C2, C14 (docs/compatibility.md)
TEST_F(SwitchRun, TriesPortsInOrderAndStopsAtTheFirstModem) {
    // COM1 stays silent; COM2 names ZTE but ends in ERROR, not OK: neither
    // is a modem. A Huawei modem after the ZTE one must never be touched.
    RecordingHost host =
        Run("COM1=silent COM2=nul,reply=%0D%0AZTE%0D%0A%0D%0AERROR%0D%0A "
            "COM3=zte COM4=huawei",
            ModemMode::ModemOnly);

    const Calls& calls = host.Calls();
    const Calls untilFound = Join({ScanOpening(3), {Log(kFoundZte)}});
    ASSERT_GE(calls.size(), untilFound.size());
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + untilFound.size()), untilFound);
    EXPECT_EQ(sim().Opens(1), 1);
    EXPECT_EQ(sim().Opens(2), 1);
    EXPECT_EQ(sim().Opens(3), 2) << "probed, then reopened for the commands";
    EXPECT_EQ(sim().Opens(4), 0);
    EXPECT_EQ(sim().Received(3), "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\n");
}

// Kept: C3 (docs/compatibility.md)
TEST_F(SwitchRun, AnAnswerWithBothMarksIsZte) {
    // "huawei" stands first in the text, yet the ZTE mark is searched first.
    RecordingHost host = Run("COM2=zte,ident=Vendor:%20huawei%20ZTE", ModemMode::ExtraFunctions);

    EXPECT_NE(host.Log().find(kFoundZte), std::string::npos) << host.Log();
    EXPECT_EQ(host.Log().find(kFoundHuawei), std::string::npos);
    // The ZTE list went out, not the Huawei one.
    EXPECT_EQ(sim().Received(2), "ATI\r\nAT+ZCDRUN=9\r\nAT+ZCDRUN=F\r\n");
}

// The search on its own, for hosts that only look at a modem: the same
// progress and found line as a run, and nothing sent but the probes.
TEST_F(SwitchRun, LocatingTheModemSwitchesNothingAndTellsWhereItIs) {
    ASSERT_TRUE(sim().Layout("COM1=silent COM3=huawei COM4=zte"));
    RecordingHost host(ModemMode::ModemOnly);
    ModemSession found;

    ASSERT_TRUE(LocateModem(host, host.request, &found));
    EXPECT_EQ(found.name, SimulatedPortName(3));
    EXPECT_EQ(found.vendor, &VendorOf(ModemVendor::Huawei));
    EXPECT_EQ(host.Calls(), Join({{"SetProgressRange 0 31", "SetProgressPos 0"},
                                  Steps(3),
                                  {Log(kFoundHuawei), "FinishRun"}}));
    EXPECT_EQ(sim().Received(3), "ATI\r\n");
    EXPECT_EQ(sim().Opens(4), 0);
    EXPECT_EQ(sim().Held(3), 0);

    ModemSession none;
    ASSERT_TRUE(sim().Layout("COM2=error"));
    EXPECT_FALSE(LocateModem(host, host.request, &none));
    EXPECT_STREQ(none.name, "");
}

// A session keeps the port found open from the search through the commands,
// one open in all, and gives it back when it ends; the dialog's way opens it
// again for the commands.
TEST_F(SwitchRun, ASessionOpensThePortOnceAndHoldsItToItsEnd) {
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        ASSERT_TRUE(sim().Layout("COM2=zte"));
        RecordingHost host(ModemMode::ModemOnly);
        host.request.keepPort = keep;
        {
            ModemSession session;
            host.RunOnWorker(&session);
            EXPECT_EQ(host.Outcome(), SwitchOutcome::Switched);
            EXPECT_EQ(sim().Held(2), keep ? 1 : 0);
        }
        EXPECT_EQ(sim().Opens(2), keep ? 1 : 2);
        EXPECT_EQ(sim().Held(2), 0);
    }
}

// No modem identified: the error text right after the scan, the progress
// left at the last port tried, nothing sent beyond the probes.
Calls NoModemRun() {
    return Join({ScanOpening(31), {Log(kNoModem), "ExplainNoModem", "FinishRun"}});
}

// Kept: C14 (docs/compatibility.md)
TEST_F(SwitchRun, NoPortOpensReportsTheErrorAfterThirtyOneSteps) {
    RecordingHost host = Run("", ModemMode::ModemOnly);

    EXPECT_EQ(host.Calls(), NoModemRun());
    EXPECT_EQ(host.Outcome(), SwitchOutcome::NoModem);
    EXPECT_EQ(host.ProgressPos(), 31);
}

// Ports another program holds are handed to the host after the error, in
// the search's order; ports that do not exist, stay silent or answer ERROR
// are not.
struct HeldCase {
    const char* name;
    std::vector<int> held;
    const char* others;  // the rest of the layout
    std::vector<int> told;
};

class HeldPortsRun : public SwitchRun, public testing::WithParamInterface<HeldCase> {};

TEST_P(HeldPortsRun, NamesThePortsAnotherProgramHolds) {
    const HeldCase& c = GetParam();
    HeldPorts held;
    ASSERT_TRUE(sim().Layout(HeldPorts::LayoutOf(c.held) + c.others));
    ASSERT_TRUE(held.Hold(c.held));
    RecordingHost host(ModemMode::ModemOnly);
    host.RunOnWorker();

    std::string told = "ExplainNoModem";
    for (int com : c.told) told += " " + SimulatedPortName(com);
    EXPECT_EQ(host.Calls(), Join({ScanOpening(31), {Log(kNoModem), told, "FinishRun"}}));
    EXPECT_EQ(host.Outcome(), SwitchOutcome::NoModem);
    for (int com : c.held) EXPECT_EQ(sim().Received(com), "") << "COM" << com << " was written to";
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    OneOrSeveral, HeldPortsRun,
    testing::Values(
        HeldCase{"One",     {4},    "COM2=silent COM3=error", {4}},
        HeldCase{"Several", {7, 4}, "COM5=silent",            {4, 7}}),
    [](const testing::TestParamInfo<HeldCase>& info) { return info.param.name; });
// clang-format on

// Kept: C4 (docs/compatibility.md)
TEST_F(SwitchRun, MarksAreCaseSensitive) {
    RecordingHost host =
        Run("COM1=huawei,ident=Manufacturer:%20Huawei "
            "COM2=zte,ident=Manufacturer:%20zte%20Corporation",
            ModemMode::ModemOnly);

    EXPECT_EQ(host.Calls(), NoModemRun());
    // Probed, and nothing more.
    EXPECT_EQ(sim().Received(1), "ATI\r\n");
    EXPECT_EQ(sim().Received(2), "ATI\r\n");
}

// The probe's answer is stored in at most 1022 bytes and ends at its first
// zero byte; a mark beyond either is not seen. With echo off the answer is
// "\r\n" and the identification, so ident byte k is answer byte k + 2.
std::string IdentWithMarkAt(int answerOffset, const char* mark) {
    return std::string(answerOffset - 2, 'x') + mark;
}

// Kept: C1 (docs/compatibility.md)
TEST_F(SwitchRun, IdentifiesOnlyFromTheFirst1022AnswerBytes) {
    // "ZTE" in answer bytes 1019..1021: the last three that are stored.
    RecordingHost inside =
        Run("COM1=zte,echo=0,ident=" + IdentWithMarkAt(1019, "ZTE"), ModemMode::ModemOnly);
    EXPECT_NE(inside.Log().find(kFoundZte), std::string::npos);

    // One byte later the mark's last letter would be answer byte 1022.
    RecordingHost beyond =
        Run("COM1=zte,echo=0,ident=" + IdentWithMarkAt(1020, "ZTE"), ModemMode::ModemOnly);
    EXPECT_EQ(beyond.Calls(), NoModemRun());
}

// Kept: C9 (docs/compatibility.md)
TEST_F(SwitchRun, IdentificationStopsAtTheFirstZeroByte) {
    RecordingHost host =
        Run("COM1=zte,ident=Model%00ZTE COM2=huawei,ident=%00huawei", ModemMode::ModemOnly);

    EXPECT_EQ(host.Calls(), NoModemRun());
}

// --- Sending the commands, and whether the modem confirmed them -----------

// Kept: C2, C14 (docs/compatibility.md)
TEST_F(SwitchRun, APortGoneWhenReopenedGetsNoCommandsAndTheRunFails) {
    RecordingHost host = Run("COM1=zte,gone-after-close", ModemMode::ModemOnly);

    const Calls expected =
        Join({ScanOpening(1),
              {Log(kFoundZte), "SetProgressRange 0 2", "SetProgressPos 0", Log(kHeaderModemOnly),
               "SetProgressPos 2", Log(kPortNotOpened), "FinishRun"}});
    EXPECT_EQ(host.Calls(), expected);
    EXPECT_EQ(host.Log(), std::string(kSearching) + kFoundZte + kHeaderModemOnly + kPortNotOpened);
    EXPECT_EQ(host.Outcome(), SwitchOutcome::NotConfirmed);
    EXPECT_EQ(host.ProgressPos(), 2);
    EXPECT_EQ(sim().Received(1), "ATI\r\n");
}

// A run whose modem left a command unconfirmed: every command is still sent
// and logged with its answer, and the log closes with the error instead of
// the completion text. An answer ends at its final result (ERROR at once, no
// time-out); a ZTE refusal (result digit 0) ends in OK like a success.
struct UnconfirmedCase {
    const char* name;
    const char* layout;
    const char* found;
    Calls commandsAndAnswers;
    const char* received;  // everything the modem got, probe included
};

class UnconfirmedRun : public SwitchRun, public testing::WithParamInterface<UnconfirmedCase> {};

// Kept: C16 (docs/compatibility.md)
TEST_P(UnconfirmedRun, SendsEveryCommandAndClosesWithTheError) {
    const UnconfirmedCase& c = GetParam();
    RecordingHost host = Run(c.layout, ModemMode::ModemOnly);

    const Calls expected =
        Join({ScanOpening(1),
              {Log(c.found)},
              CommandPhase(kHeaderModemOnly, c.commandsAndAnswers, kNotConfirmed)});
    EXPECT_EQ(host.Calls(), expected);
    EXPECT_EQ(host.Log(), std::string(kSearching) + c.found + kHeaderModemOnly +
                              LogOf(c.commandsAndAnswers) + kNotConfirmed);
    EXPECT_EQ(host.Log().find("Внимание!"), std::string::npos);
    EXPECT_EQ(host.Outcome(), SwitchOutcome::NotConfirmed);
    EXPECT_EQ(host.ProgressPos(), 2);
    EXPECT_EQ(sim().Received(1), c.received);
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    ErrorOrSilence, UnconfirmedRun,
    testing::Values(
        // OK follows the refusal, yet the result digit says the modem refused.
        UnconfirmedCase{
            "ZteRefusesWithResultZero",
            "COM1=zte,fail-on=AT+ZCDRUN=8",
            kFoundZte,
            {Log("AT+ZCDRUN=8\r\n"),
             Log("AT+ZCDRUN=8\r\n\r\nClose autorun state result(0:FAIL 1:SUCCESS):0\r\n\r\nOK\r\n"),
             Log("AT+ZCDRUN=E\r\n"), Log(std::string("AT+ZCDRUN=E\r\n") + kCloseDownload)},
            "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\n"},
        // A confirmed first command does not make up for the second.
        UnconfirmedCase{
            "ZteSecondCommandError",
            "COM1=zte,error-on=AT+ZCDRUN=E",
            kFoundZte,
            {Log("AT+ZCDRUN=8\r\n"), Log(std::string("AT+ZCDRUN=8\r\n") + kCloseAutorun),
             Log("AT+ZCDRUN=E\r\n"), Log("AT+ZCDRUN=E\r\n\r\nERROR\r\n")},
            "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\n"},
        // Nor does a confirmed last command make up for the first; silence
        // does not stop the list.
        UnconfirmedCase{"ZteFirstCommandSilent",
                        "COM1=zte,mute-on=AT+ZCDRUN=8",
                        kFoundZte,
                        {Log("AT+ZCDRUN=8\r\n"), Log("AT+ZCDRUN=8\r\n"), Log("AT+ZCDRUN=E\r\n"),
                         Log(std::string("AT+ZCDRUN=E\r\n") + kCloseDownload)},
                        "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\n"},
        // An ERROR does not stop the list either.
        UnconfirmedCase{"ZteErrorThenSilence",
                        "COM1=zte,error-on=AT+ZCDRUN=8,mute-on=AT+ZCDRUN=E",
                        kFoundZte,
                        {Log("AT+ZCDRUN=8\r\n"), Log("AT+ZCDRUN=8\r\n\r\nERROR\r\n"),
                         Log("AT+ZCDRUN=E\r\n"), Log("AT+ZCDRUN=E\r\n")},
                        "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\n"},
        // A stray OK after an answer is not the next command's: the ERROR is.
        UnconfirmedCase{
            "StrayOkIsNotTheNextAnswer",
            "COM1=nul,reply=%0D%0AZTE%0D%0A%0D%0AOK%0D%0A%0D%0AOK%0D%0A,error-on=AT+ZCDRUN=E",
            kFoundZte,
            {Log("AT+ZCDRUN=8\r\n"), Log("AT+ZCDRUN=8\r\n\r\nZTE\r\n\r\nOK\r\n"),
             Log("AT+ZCDRUN=E\r\n"), Log("AT+ZCDRUN=E\r\n\r\nERROR\r\n")},
            "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\n"},
        // The only command times out: only its echo is logged.
        UnconfirmedCase{"HuaweiModeCommandSilent",
                        "COM1=huawei,mute-on=AT^U2DIAG=0",
                        kFoundHuawei,
                        {Log("AT^U2DIAG=0\r\n"), Log("AT^U2DIAG=0\r\n")},
                        "ATI\r\nAT^U2DIAG=0\r\n"}),
    [](const testing::TestParamInfo<UnconfirmedCase>& info) { return info.param.name; });
// clang-format on

// Noisy answers: a modem's confirmation counts however much comes before it
// and whatever zero bytes come with it, and so does a refusal past the 1022
// bytes the log keeps; the log still shows those bytes only.
// Kept: C1 (docs/compatibility.md)
TEST_F(SwitchRun, ConfirmationIsJudgedOnTheWholeAnswer) {
    const struct {
        const char* layout;
        SwitchOutcome outcome;
        size_t firstAnswerLogged;  // bytes of the first command's answer in the log
    } cases[] = {
        {"COM1=zte,flood-on=AT+ZCDRUN=8,flood-lines=231", SwitchOutcome::Switched, 1022},
        {"COM1=huawei,flood-on=AT^U2DIAG=0", SwitchOutcome::Switched, 1022},
        {"COM1=zte,nul-on=AT+ZCDRUN=8", SwitchOutcome::Switched, 63},
        {"COM1=huawei,nul-on=AT^U2DIAG=0", SwitchOutcome::Switched, 13},
        {"COM1=zte,fail-on=AT+ZCDRUN=8,flood-on=AT+ZCDRUN=8,flood-lines=231",
         SwitchOutcome::NotConfirmed, 1022},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        RecordingHost host = Run(c.layout, ModemMode::ModemOnly);
        EXPECT_EQ(host.Outcome(), c.outcome);
        const Calls& calls = host.Calls();
        const auto command = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.rfind(Log("AT"), 0) == 0;
        });
        ASSERT_LT(command + 1, calls.end());
        EXPECT_EQ(command[1].size() - Log("").size(), c.firstAnswerLogged) << command[1];
    }
}

}  // namespace
