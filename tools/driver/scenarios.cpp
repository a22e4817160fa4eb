#include "scenarios.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "expected_texts.h"
#include "modemsim_client.h"
#include "program_under_test.h"
#include "screenshot.h"
#include "user_steps.h"
#include "wait_until.h"

namespace {

constexpr DWORD kBoxTimeoutMs = 5000;
constexpr DWORD kSettleTimeoutMs = 3000;
// Key message flags: repeat count 1 and the key's scan code.
constexpr LPARAM kEscapePress = 0x00010001;
constexpr LPARAM kEscapeAutoRepeat = 0x40010001;  // previous-key-state bit set
constexpr LPARAM kEnterPress = 0x001C0001;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A log line without its line breaks, for a check's name.
std::string Trimmed(const char* line) {
    std::string text = line;
    while (!text.empty() && (text.front() == '\r' || text.front() == '\n')) text.erase(0, 1);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

// Ports before the modem answer nothing, so the scan spends its 100 ms
// probe time-out on each: that keeps a run going long enough to watch it.
// The modem's own delay stays below that time-out, or the probe would miss it.
std::string LayoutWithModemOn(int modemCom, const std::string& modem) {
    std::string layout;
    for (int com = 1; com < modemCom; ++com) layout += "COM" + std::to_string(com) + "=silent ";
    return layout + "COM" + std::to_string(modemCom) + "=" + modem + ",delay-ms=40";
}

bool SetLayout(CheckReport& report, const std::string& layout) {
    ModemSim& sim = ModemSim::Instance();
    return report.Expect(sim.Layout(layout), "simulator takes the layout " + layout,
                         sim.LastError());
}

// What one successful switch looks like from outside.
struct SwitchRun {
    const char* vendor;  // the simulator's personality
    int modemCom;
    int modeButton;
    const char* confirmation;
    const char* foundLine;
    const char* header;
    std::vector<std::string> commands;
    const char* finalState;  // the simulator's record of the last command
    bool savePicture;
};

// The close box during a run: the program refuses with one message box and
// keeps running with its buttons disabled. Returns false if the run ended
// before all of that could be seen, which would make the checks void.
// Kept: C18 (docs/compatibility.md)
bool CloseBoxIsRefusedDuringRun(ProgramUnderTest& program, CheckReport& report) {
    program.PostClose();
    MessageBoxView box;
    if (!report.Expect(program.WaitForMessageBox(kBoxTimeoutMs, &box),
                       "close box during the run brings a message box",
                       program.IsRunning() ? "no message box came" : "the program ended"))
        return false;
    report.Expect(box.caption == expected::kWaitCaption && box.text == expected::kWaitText,
                  "it reads Дождитесь завершения процесса! under Внимание!",
                  "caption " + Quoted(box.caption) + ", text " + Quoted(box.text));
    report.Expect(box.HasOnlyButtons({IDOK}), "it offers only OK");
    report.Expect(program.OwnedMessageBoxes().size() == 1, "it is the only message box");
    program.Answer(box, IDOK);
    report.Expect(WaitUntil(kBoxTimeoutMs, [&] { return !IsWindow(box.window); }),
                  "the message box closes on OK");
    report.Expect(program.IsRunning() && IsWindowVisible(program.Dialog()),
                  "the dialog stays open after the refusal",
                  program.IsRunning() ? "the dialog is hidden" : "the program ended");
    report.Expect(program.OwnedMessageBoxes().empty(), "no further message box follows");
    const bool stillRunning = !EndsWith(program.LogText(), expected::kCompletion);
    ExpectButtons(program, report, "after the refusal, still running", false, false, false);
    return report.Expect(stillRunning, "the run outlasted the close-box checks (they are valid)",
                         "the run ended meanwhile: give the simulated run more silent ports");
}

// Kept: C5 (docs/compatibility.md)
void ExpectRunLog(const ProgramUnderTest& program, CheckReport& report, const SwitchRun& run) {
    const std::string log = program.LogText();
    std::vector<std::string> parts = {expected::kSearching, run.foundLine, run.header};
    for (const std::string& command : run.commands) {
        parts.push_back(command);
        parts.push_back("\r\nOK\r\n");  // the modem's reply to it
    }
    std::string missing;
    report.Expect(log.rfind(expected::kSearching, 0) == 0 && ContainsInOrder(log, parts, &missing),
                  "log reports the search, " + Trimmed(run.foundLine) +
                      ", the mode header and each command with its OK",
                  "missing " + Quoted(missing) + " in log " + Quoted(log));
    report.Expect(EndsWith(log, expected::kCompletion), "log ends with the completion text",
                  "log: " + Quoted(log));
    report.Expect(log.find("ОШИБКА") == std::string::npos, "log holds no error");
}

void ExpectModemSwitched(CheckReport& report, const SwitchRun& run) {
    std::string sent = "ATI\r\n";
    for (const std::string& command : run.commands) sent += command;
    const std::string received = ModemSim::Instance().Received(run.modemCom);
    report.Expect(received == sent, "the modem received ATI and the mode's commands, nothing else",
                  "received " + Quoted(received));
    const std::string state = ModemSim::Instance().State(run.modemCom);
    report.Expect(state == run.finalState, std::string("the modem's mode is now ") + run.finalState,
                  "state " + state);
    bool everyPortAsked = true;
    for (int com = 1; com < run.modemCom; ++com)
        everyPortAsked = everyPortAsked && ModemSim::Instance().Received(com) == "ATI\r\n";
    report.Expect(everyPortAsked, "each silent port before the modem was asked ATI once");
}

void SavePicture(const ProgramUnderTest& program, CheckReport& report, const std::string& path) {
    std::string error;
    report.Expect(SaveWindowPicture(program.Dialog(), path, &error),
                  "picture of the finished run saved to " + path, error);
}

void RunSwitch(const ScenarioSettings& settings, CheckReport& report, const SwitchRun& run) {
    if (!SetLayout(report, LayoutWithModemOn(run.modemCom, run.vendor))) return;
    ProgramUnderTest program(settings.exePath);
    if (!StartIdle(program, report) ||
        !AnswerConfirmation(program, report, run.modeButton, run.confirmation, IDYES))
        return;
    const bool disabled = WaitUntil(kSettleTimeoutMs, [&] {
        return !program.IsControlEnabled(expected::kModemOnly) &&
               !program.IsControlEnabled(expected::kExtra) &&
               !program.IsControlEnabled(expected::kExit);
    });
    ExpectButtons(program, report, "confirmed, run under way", false, false, false);
    if (!disabled || !CloseBoxIsRefusedDuringRun(program, report) ||
        !WaitForRunEnd(program, report))
        return;
    ExpectButtons(program, report, "run finished", false, false, true);
    ExpectProgress(program, report, 2, 2);
    ExpectRunLog(program, report, run);
    ExpectModemSwitched(report, run);
    if (run.savePicture && !settings.screenshotPath.empty())
        SavePicture(program, report, settings.screenshotPath);
    LeaveThroughExit(program, report);
}

void ModemOnlyWithZte(const ScenarioSettings& settings, CheckReport& report) {
    RunSwitch(settings, report,
              {"zte",
               20,
               expected::kModemOnly,
               expected::kConfirmModemOnly,
               expected::kFoundZte,
               expected::kModemOnlyHeader,
               {"AT+ZCDRUN=8\r\n", "AT+ZCDRUN=E\r\n"},
               "zcdrun=E",
               true});
}

void ExtraFunctionsWithHuawei(const ScenarioSettings& settings, CheckReport& report) {
    RunSwitch(settings, report,
              {"huawei",
               17,
               expected::kExtra,
               expected::kConfirmExtra,
               expected::kFoundHuawei,
               expected::kExtraHeader,
               {"AT^U2DIAG=257\r\n"},
               "u2diag=257",
               false});
}

void DecliningChangesNothing(const ScenarioSettings& settings, CheckReport& report) {
    ProgramUnderTest program(settings.exePath);
    if (!StartIdle(program, report)) return;
    const struct {
        int button;
        const char* confirmation;
    } modes[] = {{expected::kModemOnly, expected::kConfirmModemOnly},
                 {expected::kExtra, expected::kConfirmExtra}};
    for (const auto& mode : modes) {
        if (!AnswerConfirmation(program, report, mode.button, mode.confirmation, IDNO)) return;
        // A handler that went on after Нет would act right after its box closed.
        report.Expect(program.WaitForPostedMessages(kSettleTimeoutMs),
                      "the dialog has handled the answer");
        ExpectButtons(program, report, "after Нет", true, true, true);
        const std::string log = program.LogText();
        report.Expect(log == expected::kHelpText, "after Нет the log still shows the help text",
                      "log: " + Quoted(log));
    }
    program.PostClose();
    ExpectEnded(program, report, "the close box on the idle dialog");
}

// Starts the program, asks for "Только модем", confirms it and waits for the
// run to end; false (with the failed check reported) if any step fails.
bool SwitchToModemOnlyAndWait(ProgramUnderTest& program, CheckReport& report) {
    return StartIdle(program, report) &&
           AnswerConfirmation(program, report, expected::kModemOnly, expected::kConfirmModemOnly,
                              IDYES) &&
           WaitForRunEnd(program, report);
}

void NoModem(const ScenarioSettings& settings, CheckReport& report) {
    // A port that answers with ERROR is no modem either.
    if (!SetLayout(report, "COM3=error")) return;
    ProgramUnderTest program(settings.exePath);
    if (!SwitchToModemOnlyAndWait(program, report)) return;
    const std::string log = program.LogText();
    report.Expect(log == std::string(expected::kSearching) + expected::kNoModem,
                  "log holds the search line and ОШИБКА: не удалось обнаружить модем.",
                  "log: " + Quoted(log));
    ExpectButtons(program, report, "run without a modem finished", false, false, true);
    ExpectProgress(program, report, 31, 31);
    report.Expect(ModemSim::Instance().State(3) == "none", "no command reached the ERROR port");
    program.PostClose();
    ExpectEnded(program, report, "the close box after the run");
}

// A COM port above COM31 listed as present, as Windows lists a stick's port:
// a value under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, removed again at the end.
// (Wine lists there only the host's ports it found when the prefix started.)
class ListedComPort {
public:
    explicit ListedComPort(int com) : name_("\\Device\\ModemSim" + std::to_string(com)) {
        HKEY key = OpenList();
        if (key == nullptr) return;
        const std::string data = "COM" + std::to_string(com);
        listed_ = RegSetValueExA(key, name_.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~ListedComPort() {
        HKEY key = OpenList();
        if (key == nullptr) return;
        RegDeleteValueA(key, name_.c_str());
        RegCloseKey(key);
    }
    ListedComPort(const ListedComPort&) = delete;
    ListedComPort& operator=(const ListedComPort&) = delete;

    bool Listed() const { return listed_; }

private:
    // The key lives in the volatile HARDWARE tree: made volatile if missing.
    static HKEY OpenList() {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return key;
    }

    std::string name_;
    bool listed_ = false;
};

// A run that finds no modem while other programs hold ports: after the error
// line, one line names them, ascending, in the log's normal colour; a port
// above COM31 the system lists is tried too and counts in the progress from
// the start.
void HeldPortsAreNamed(const ScenarioSettings& settings, CheckReport& report) {
    const struct {
        const char* layout;
        const char* line;
        int listedAbove31;  // 0: none
    } cases[] = {
        {"COM3=error COM4=locked", expected::kHeldCom4, 0},
        {"COM40=locked COM4=locked COM7=silent", expected::kHeldCom4AndCom40, 40},
    };
    for (const auto& c : cases) {
        std::unique_ptr<ListedComPort> listed;
        if (c.listedAbove31 != 0) {
            listed = std::make_unique<ListedComPort>(c.listedAbove31);
            if (!report.Expect(listed->Listed(), "COM40 listed under SERIALCOMM")) return;
        }
        if (!SetLayout(report, c.layout)) return;
        ProgramUnderTest program(settings.exePath);
        if (!SwitchToModemOnlyAndWait(program, report)) return;
        const std::string log = program.LogText();
        report.Expect(log == std::string(expected::kSearching) + expected::kNoModem + c.line,
                      "log ends with the error line and " + Trimmed(c.line),
                      "log: " + Quoted(log));
        const int steps = c.listedAbove31 != 0 ? 32 : 31;
        ExpectProgress(program, report, steps, steps);
        CHARFORMATA format{};
        const long from = static_cast<long>(log.size() - std::strlen(c.line) + 2);
        const bool read =
            program.LogCharFormat(from, static_cast<long>(log.size()), &format);
        report.Expect(read && (format.dwMask & CFM_COLOR) && (format.dwMask & CFM_BOLD) &&
                          format.crTextColor == expected::kNormalTextColor &&
                          !(format.dwEffects & CFE_BOLD),
                      "the line is in the log's normal colour, not bold",
                      read ? "mask " + std::to_string(format.dwMask) + ", colour " +
                                 std::to_string(format.crTextColor)
                           : "its format could not be read");
        program.PostClose();
        ExpectEnded(program, report, "the close box after the run");
    }
}

// Windows never reuses a COM number, so after many devices a modem can sit
// at COM40: when COM1..COM31 miss, the ports the system lists above them are
// tried with the same probe.
void ModemAboveCom31(const ScenarioSettings& settings, CheckReport& report) {
    const ListedComPort listed(40);
    if (!report.Expect(listed.Listed(), "COM40 listed under SERIALCOMM") ||
        !SetLayout(report, "COM40=zte COM31=silent"))
        return;
    ProgramUnderTest program(settings.exePath);
    if (!SwitchToModemOnlyAndWait(program, report)) return;
    const std::string log = program.LogText();
    std::string missing;
    report.Expect(ContainsInOrder(log,
                                  {expected::kSearching, expected::kFoundZte,
                                   expected::kModemOnlyHeader, "AT+ZCDRUN=8\r\n",
                                   "AT+ZCDRUN=E\r\n"},
                                  &missing) &&
                      EndsWith(log, expected::kCompletion),
                  "the modem on COM40 is found and switched",
                  "missing " + Quoted(missing) + " in log " + Quoted(log));
    report.Expect(ModemSim::Instance().State(40) == "zcdrun=E", "the modem's mode is now zcdrun=E");
    report.Expect(ModemSim::Instance().Received(31) == "ATI\r\n", "COM31 was tried before it");
    ExpectProgress(program, report, 2, 2);
    LeaveThroughExit(program, report);
}

// The error word of a failed run, as the log shows it: dark red.
void ExpectErrorWordDarkRed(const ProgramUnderTest& program, CheckReport& report) {
    const size_t at = program.LogText().find(expected::kErrorWord);
    CHARFORMATA format{};
    const long from = static_cast<long>(at);
    const bool read =
        at != std::string::npos &&
        program.LogCharFormat(from, from + static_cast<long>(std::strlen(expected::kErrorWord)),
                              &format);
    report.Expect(read && (format.dwMask & CFM_COLOR) && !(format.dwEffects & CFE_AUTOCOLOR) &&
                      format.crTextColor == expected::kErrorWordColor,
                  "ОШИБКА: is shown dark red",
                  read ? "mask " + std::to_string(format.dwMask) + ", colour " +
                             std::to_string(format.crTextColor)
                       : "its format could not be read");
}

// A ZTE modem that leaves its switch unconfirmed, and what its log shows.
struct UnconfirmedRun {
    const char* layout;                 // the modem on COM2
    std::vector<std::string> logParts;  // in this order, after the mode header
    const char* logDescription;
};

void ExpectUnconfirmedSwitch(const ScenarioSettings& settings, CheckReport& report,
                             const UnconfirmedRun& run) {
    if (!SetLayout(report, run.layout)) return;
    ProgramUnderTest program(settings.exePath);
    if (!SwitchToModemOnlyAndWait(program, report)) return;
    const std::string log = program.LogText();
    std::vector<std::string> parts = {expected::kSearching, expected::kFoundZte,
                                      expected::kModemOnlyHeader};
    parts.insert(parts.end(), run.logParts.begin(), run.logParts.end());
    std::string missing;
    report.Expect(ContainsInOrder(log, parts, &missing), run.logDescription,
                  "missing " + Quoted(missing) + " in log " + Quoted(log));
    report.Expect(EndsWith(log, expected::kNotConfirmed),
                  "log ends with ОШИБКА: модем не подтвердил переключение режима.",
                  "log: " + Quoted(log));
    report.Expect(log.find(expected::kWarningWord) == std::string::npos,
                  "log holds no Внимание! advice");
    ExpectErrorWordDarkRed(program, report);
    ExpectButtons(program, report, "unconfirmed run finished", false, false, true);
    ExpectProgress(program, report, 2, 2);
    report.Expect(ModemSim::Instance().Received(2) == "ATI\r\nAT+ZCDRUN=8\r\nAT+ZCDRUN=E\r\n",
                  "the modem received ATI and both commands");
    LeaveThroughExit(program, report);
}

void UnconfirmedSwitch(const ScenarioSettings& settings, CheckReport& report) {
    // The modem takes the first command and answers the second with ERROR.
    ExpectUnconfirmedSwitch(
        settings, report,
        {"COM2=zte,error-on=AT+ZCDRUN=E",
         {"AT+ZCDRUN=8\r\n", "\r\nOK\r\n", "AT+ZCDRUN=E\r\n", "\r\nERROR\r\n"},
         "log shows both commands, the first with its OK, the second with its ERROR"});
}

void ZteRefusal(const ScenarioSettings& settings, CheckReport& report) {
    // The modem refuses the first command with result digit 0, then says OK.
    ExpectUnconfirmedSwitch(
        settings, report,
        {"COM2=zte,fail-on=AT+ZCDRUN=8",
         {"AT+ZCDRUN=8\r\n", "result(0:FAIL 1:SUCCESS):0\r\n\r\nOK\r\n", "AT+ZCDRUN=E\r\n",
          "result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n"},
         "log shows the first command refused with :0 and OK, the second taken with :1"});
}

// Huawei sticks whose firmware refuses AT^U2DIAG and keeps its composition
// in AT^SETPORT: the run goes on with the stick's value and, once the stick
// took the new one, asks for a re-plug; a stick that refuses it ends in the
// error line.
void SetportSticks(const ScenarioSettings& settings, CheckReport& report) {
    const std::string replugged = std::string(expected::kCompletion) + expected::kReplug;
    const struct {
        const char* layout;  // the stick on COM2
        int button;
        const char* confirmation;
        std::vector<std::string> logParts;  // in this order, after the found line
        std::string closing;
        const char* state;
    } runs[] = {
        {"COM2=e3372", expected::kModemOnly, expected::kConfirmModemOnly,
         {expected::kModemOnlyHeader, "AT^U2DIAG=0\r\n", "\r\nERROR\r\n", "AT^SETPORT?\r\n",
          "^SETPORT:A1,A2;12,10,16,A1,A2\r\n", "AT^SETPORT=\"FF;12,10,16\"\r\n", "\r\nOK\r\n"},
         replugged, "setport=FF;12,10,16"},
        {"COM2=e3372,setport=FF;12%2C10%2C16", expected::kExtra, expected::kConfirmExtra,
         {expected::kExtraHeader, "AT^U2DIAG=257\r\n", "\r\nERROR\r\n", "AT^SETPORT?\r\n",
          "AT^SETPORT=?\r\n", "AT^SETPORT=\"A1,A2;12,10,16,A1,A2\"\r\n", "\r\nOK\r\n"},
         replugged, "setport=A1,A2;12,10,16,A1,A2"},
        {"COM2=e3131,refuse-set", expected::kModemOnly, expected::kConfirmModemOnly,
         {expected::kModemOnlyHeader, "AT^SETPORT=\"FF;1,3,2\"\r\n", "\r\nERROR\r\n"},
         expected::kNotConfirmed, "none"},
    };
    for (const auto& run : runs) {
        if (!SetLayout(report, run.layout)) return;
        ProgramUnderTest program(settings.exePath);
        if (!StartIdle(program, report) ||
            !AnswerConfirmation(program, report, run.button, run.confirmation, IDYES) ||
            !WaitForRunEnd(program, report))
            return;
        const std::string log = program.LogText();
        std::vector<std::string> parts = {expected::kSearching, expected::kFoundHuawei};
        parts.insert(parts.end(), run.logParts.begin(), run.logParts.end());
        std::string missing;
        report.Expect(ContainsInOrder(log, parts, &missing) && EndsWith(log, run.closing),
                      std::string(run.layout) + ": the log goes on with AT^SETPORT and ends with " +
                          Trimmed(run.closing.c_str()).substr(0, 40),
                      "missing " + Quoted(missing) + " in log " + Quoted(log));
        ExpectProgress(program, report, 2, 2);
        const std::string state = ModemSim::Instance().State(2);
        report.Expect(state == run.state, std::string("the stick's state is ") + run.state,
                      "state " + state);
        LeaveThroughExit(program, report);
    }
}

void EscapeKeepsIdleDialog(const ScenarioSettings& settings, CheckReport& report) {
    ProgramUnderTest program(settings.exePath);
    if (!StartIdle(program, report)) return;
    report.Expect(program.FocusedControl() == program.Control(expected::kExit),
                  "Выход has the keyboard focus");
    program.PostKey(WM_KEYDOWN, VK_ESCAPE, kEscapePress);
    report.Expect(program.WaitForPostedMessages(kSettleTimeoutMs),
                  "the dialog has handled the Escape key");
    report.Expect(program.IsRunning() && IsWindowVisible(program.Dialog()),
                  "a single Escape press leaves the dialog open",
                  program.IsRunning() ? "the dialog is hidden" : "the program ended");
    ExpectButtons(program, report, "after Escape", true, true, true);
    // Shows that keys posted this way do reach the dialog, so the check
    // above could have failed: an auto-repeated Escape is not filtered.
    program.PostKey(WM_KEYDOWN, VK_ESCAPE, kEscapeAutoRepeat);
    ExpectEnded(program, report, "an auto-repeated Escape on the idle dialog");
}

void EnterRightAfterStart(const ScenarioSettings& settings, CheckReport& report) {
    ProgramUnderTest program(settings.exePath);
    std::string error;
    if (!report.Expect(program.Start(&error), "program starts and shows its dialog", error)) return;
    HWND exit = program.Control(expected::kExit);
    report.Expect((GetWindowLongA(exit, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
                  "Выход is the default button");
    report.Expect(program.FocusedControl() == exit, "Выход has the keyboard focus");
    program.PostKey(WM_KEYDOWN, VK_RETURN, kEnterPress);
    ExpectEnded(program, report, "Enter right after the start");
}

const NamedScenario kScenarios[] = {
    {"declining the confirmation changes nothing", DecliningChangesNothing},
    {"Только модем with a ZTE modem", ModemOnlyWithZte},
    {"Доп. функции with a Huawei modem", ExtraFunctionsWithHuawei},
    {"no modem on any port", NoModem},
    {"ports another program holds are named", HeldPortsAreNamed},
    {"a modem on COM40, listed by the system", ModemAboveCom31},
    {"a switch the modem does not confirm", UnconfirmedSwitch},
    {"a ZTE modem that refuses with result 0", ZteRefusal},
    {"Huawei sticks with AT^SETPORT", SetportSticks},
    {"Escape does not close the idle dialog", EscapeKeepsIdleDialog},
    {"Enter right after the start leaves through Выход", EnterRightAfterStart},
};

}  // namespace

const NamedScenario* Scenarios(int* count) {
    *count = static_cast<int>(sizeof kScenarios / sizeof kScenarios[0]);
    return kScenarios;
}
