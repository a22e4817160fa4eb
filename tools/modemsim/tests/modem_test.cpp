#include <gtest/gtest.h>

#include "modem.h"

namespace modemsim {
namespace {

using namespace std::string_literals;

Modem Make(const std::string& text) {
    std::string error;
    const auto config = ParsePortConfig(text, &error);
    EXPECT_TRUE(config) << error;
    return Modem(config.value_or(PortConfig{}));
}

// Everything the modem would put on the wire, echo and replies in order.
std::string Wire(const Reaction& reaction) {
    std::string all;
    for (const Output& output : reaction.out) all += output.bytes;
    return all;
}

// The replies in order, each further wait shown as "[+N]" before its bytes.
std::string Replies(const Reaction& reaction) {
    std::string all;
    for (const Output& output : reaction.out) {
        if (output.isReply && output.laterMs != 0) all += "[+" + std::to_string(output.laterMs) + "]";
        if (output.isReply) all += output.bytes;
    }
    return all;
}

TEST(Talking, ZteEchoesAndIdentifies) {
    Modem zte = Make("zte");
    const Reaction reaction = zte.Receive("ATI\r");
    EXPECT_EQ(Wire(reaction),
              "ATI\r\r\nManufacturer: ZTE CORPORATION\r\nModel: MF627\r\n"
              "Revision: BD_MF627V1.0.0B04\r\nIMEI: 356795020393817\r\n"
              "+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n");
    ASSERT_EQ(reaction.out.size(), 2u);
    EXPECT_FALSE(reaction.out[0].isReply);
    EXPECT_TRUE(reaction.out[1].isReply);
    EXPECT_FALSE(reaction.unplug);
}

TEST(Talking, HuaweiIdentifiesInLowerCase) {
    Modem huawei = Make("huawei,echo=0");
    EXPECT_EQ(Wire(huawei.Receive("ati\r")),
              "\r\nManufacturer: huawei\r\nModel: E1550\r\nRevision: 11.608.12.02.143\r\n"
              "IMEI: 353142031254796\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n");
}

TEST(Talking, LinesArriveInPiecesAndTogether) {
    Modem zte = Make("zte,echo=0");
    EXPECT_EQ(Wire(zte.Receive("A")), "");
    EXPECT_EQ(Wire(zte.Receive("T")), "");
    EXPECT_EQ(Wire(zte.Receive("\r")), "\r\nOK\r\n");
    // The LF after a CR and blank lines are ignored; unknown commands fail.
    EXPECT_EQ(Wire(zte.Receive("AT\r\n\r  \rAT+FOO\r")), "\r\nOK\r\n\r\nERROR\r\n");
    EXPECT_EQ(zte.Received(), "AT\rAT\r\n\r  \rAT+FOO\r");
}

TEST(Talking, EchoFollowsAte0AndAte1) {
    Modem zte = Make("zte");
    EXPECT_EQ(Wire(zte.Receive("ATE0\r")), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(Wire(zte.Receive("AT\r")), "\r\nOK\r\n");
    EXPECT_EQ(Wire(zte.Receive("ATE1\r")), "\r\nOK\r\n");
    EXPECT_EQ(Wire(zte.Receive("AT\r")), "AT\r\r\nOK\r\n");
}

TEST(Switching, ZteRemembersZcdrun) {
    Modem zte = Make("zte,echo=0");
    EXPECT_EQ(zte.State(), "none");
    const struct {
        const char* command;
        const char* report;
    } switches[] = {
        {"AT+ZCDRUN=8", "Close autorun state"},
        {"AT+ZCDRUN=9", "Open autorun state"},
        {"AT+ZCDRUN=E", "Close download mode"},
        {"AT+ZCDRUN=F", "Open download mode"},
    };
    for (const auto& s : switches) {
        EXPECT_EQ(Wire(zte.Receive(std::string(s.command) + "\r")),
                  "\r\n" + std::string(s.report) + " result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n");
        EXPECT_EQ(zte.State(), "zcdrun=" + std::string(1, s.command[10]));
    }
    for (const char* wrong : {"AT+ZCDRUN=7\r", "AT+ZCDRUN=\r", "AT+ZCDRUN=88\r", "AT^U2DIAG=0\r"}) {
        EXPECT_EQ(Wire(zte.Receive(wrong)), "\r\nERROR\r\n") << wrong;
    }
    EXPECT_EQ(zte.State(), "zcdrun=F");
}

TEST(Switching, HuaweiRemembersU2diagNumber) {
    Modem huawei = Make("huawei,echo=0");
    for (const char* value : {"0", "257", "255", "256", "268"}) {
        EXPECT_EQ(Wire(huawei.Receive(std::string("AT^U2DIAG=") + value + "\r")), "\r\nOK\r\n");
        EXPECT_EQ(huawei.State(), std::string("u2diag=") + value);
    }
    for (const char* wrong :
         {"AT^U2DIAG=\r", "AT^U2DIAG=x1\r", "AT^U2DIAG=123456\r", "AT+ZCDRUN=8\r"}) {
        EXPECT_EQ(Wire(huawei.Receive(wrong)), "\r\nERROR\r\n") << wrong;
    }
    EXPECT_EQ(huawei.State(), "u2diag=268");
}

TEST(Switching, FailOnRefusesWithResultZeroThenOkAndChangesNothing) {
    Modem zte = Make("zte,echo=0,fail-on=at+zcdrun=8");
    EXPECT_EQ(Wire(zte.Receive("AT+ZCDRUN=8\r")),
              "\r\nClose autorun state result(0:FAIL 1:SUCCESS):0\r\n\r\nOK\r\n");
    EXPECT_EQ(zte.State(), "none");
    EXPECT_EQ(Wire(zte.Receive("AT+ZCDRUN=4\r")),
              "\r\nInquiry autorun open state result(0:NO 1:YES):1\r\n\r\nOK\r\n");
    EXPECT_EQ(Wire(zte.Receive("AT+ZCDRUN=E\r")),
              "\r\nClose download mode result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n");
}

// The queries report the mode the modem is in, from its factory state (the
// CD drive on) or a layout's, and follow the switch commands unless the
// modem shows a new mode only after re-plugging.
struct QueryCase {
    const char* config;
    std::vector<std::string> commands;
    const char* query;
    const char* report;
};

TEST(Queries, ReportTheModeTheModemIsIn) {
    const QueryCase cases[] = {
        {"zte", {}, "AT+ZCDRUN=4", "Inquiry autorun open state result(0:NO 1:YES):1"},
        {"zte,autorun=0", {}, "at+zcdrun=4", "Inquiry autorun open state result(0:NO 1:YES):0"},
        {"zte",
         {"AT+ZCDRUN=8", "AT+ZCDRUN=E"},
         "AT+ZCDRUN=4",
         "Inquiry autorun open state result(0:NO 1:YES):0"},
        {"zte,autorun=0",
         {"AT+ZCDRUN=9"},
         "AT+ZCDRUN=4",
         "Inquiry autorun open state result(0:NO 1:YES):1"},
        {"zte,mode-on-replug",
         {"AT+ZCDRUN=8"},
         "AT+ZCDRUN=4",
         "Inquiry autorun open state result(0:NO 1:YES):1"},
        {"huawei", {}, "AT^U2DIAG?", "^U2DIAG: 257"},
        {"huawei,u2diag=118", {}, "at^u2diag?", "^U2DIAG: 118"},
        {"huawei,u2diag=118,u2diag-form=#%20", {}, "AT^U2DIAG?", "^U2DIAG:118 "},
        {"huawei", {"AT^U2DIAG=0"}, "AT^U2DIAG?", "^U2DIAG: 0"},
        {"huawei,u2diag=0,mode-on-replug", {"AT^U2DIAG=257"}, "AT^U2DIAG?", "^U2DIAG: 0"},
        {"e3372", {}, "AT^SETPORT?", "^SETPORT:A1,A2;12,10,16,A1,A2"},
        {"e3372h", {}, "AT^SETPORT?", "^SETPORT:A1,A2;12,1,16,A1,A2"},
        {"e3372h,setport-blanks", {}, "AT^SETPORT?", "^SETPORT:A1, A2; 12, 1, 16, A1, A2"},
        {"e3131", {"AT^SETPORT=\"FF;1,3,2\""}, "at^setport?", "^SETPORT:FF;1,3,2"},
        {"e3131,setport=FF;2%2C1", {}, "AT^SETPORT?", "^SETPORT:FF;2,1"},
        {"e3372,mode-on-replug",
         {"AT^SETPORT=\"FF;12,10,16\""},
         "AT^SETPORT?",
         "^SETPORT:A1,A2;12,10,16,A1,A2"},
        {"e3372,mode-on-replug",
         {"AT^SETPORT=\"FF;12,10,16\"", "AT^RESET"},
         "AT^SETPORT?",
         "^SETPORT:FF;12,10,16"},
    };
    for (const QueryCase& c : cases) {
        SCOPED_TRACE(c.config);
        Modem modem = Make(std::string(c.config) + ",echo=0");
        for (const std::string& command : c.commands) modem.Receive(command + "\r");
        const std::string state = modem.State();
        EXPECT_EQ(Wire(modem.Receive(std::string(c.query) + "\r")),
                  "\r\n" + std::string(c.report) + "\r\n\r\nOK\r\n");
        EXPECT_EQ(modem.State(), state) << "a query switches nothing";
    }
}

// Sticks with AT^SETPORT hold a new value to their firmware's rules and
// know no AT^U2DIAG.
TEST(Switching, SetportSticksTakeOnlyWhatTheirFirmwareTakes) {
    const struct {
        const char* config;
        const char* command;
        const char* state;  // after a set taken; null when refused
    } cases[] = {
        {"e3372", "AT^SETPORT=\"FF;12,10,16\"", "setport=FF;12,10,16"},
        {"e3372", "at^setport=\"a1,a2;12,10,16,a1,a2\"",
         "setport=A1,A2;12,10,16,A1,A2"},  // the stored value
        {"e3372", "AT^SETPORT=A1;12,16,10,A1", "setport=A1;12,16,10,A1"},
        {"e3131", "AT^SETPORT=\"FF;1,3,2\"", "setport=FF;1,3,2"},
        {"e3372h", "AT^SETPORT=\"FF;12,1,16\"", "setport=FF;12,1,16"},
        {"e3131", "AT^SETPORT=\"A1;2,1,3,7,A1\"", "setport=A1;2,1,3,7,A1"},
        {"e3372", "AT^SETPORT=\"FF;10,16\"", nullptr},        // no PC UI port
        {"e3131", "AT^SETPORT=\"FF;1,3,12\"", nullptr},       // 3G firmware's is 2
        {"e3372", "AT^SETPORT=\"A2;12,10,16\"", nullptr},     // first part
        {"e3372", "AT^SETPORT=\";12,10,16\"", nullptr},       // first part
        {"e3372", "AT^SETPORT=\"FF;12,10,16,10\"", nullptr},  // a code twice
        {"e3372", "AT^SETPORT=\"FF;12,A1,10,16\"", nullptr},  // the CD drive not last
        {"e3372", "AT^SETPORT=\"FF;12,10,16,13\"", nullptr},  // diagnostics added
        {"e3131", "AT^SETPORT=\"FF;1,2\"", nullptr},          // diagnostics removed
        {"e3372", "AT^SETPORT=\"FF;12,10\"", nullptr},        // 4G: no 11 or 16
        {"e3372", "AT^SETPORT=\"FF;12,10,11,16\"", nullptr},  // 4G: both
        {"e3372", "AT^SETPORT=\"FF; 12,10,16\"", nullptr},    // a blank
        {"e3372", "AT^SETPORT=\"FF;12,10,16;\"", nullptr},
        {"e3372,refuse-set", "AT^SETPORT=\"FF;12,10,16\"", nullptr},
        {"e3372", "AT^U2DIAG=0", nullptr},
        {"e3131", "AT^U2DIAG=257", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.config) + " " + c.command);
        Modem stick = Make(std::string(c.config) + ",echo=0");
        EXPECT_EQ(Wire(stick.Receive(std::string(c.command) + "\r")),
                  c.state != nullptr ? "\r\nOK\r\n" : "\r\nERROR\r\n");
        EXPECT_EQ(stick.State(), c.state != nullptr ? c.state : "none");
    }
    Modem stick = Make("e3131,echo=0");
    EXPECT_EQ(Wire(stick.Receive("AT^U2DIAG?\r")), "\r\nERROR\r\n");
    EXPECT_NE(Wire(stick.Receive("AT^SETPORT=?\r")).find("\r\n^SETPORT:A2: SD\r\n"),
              std::string::npos);
}

TEST(Options, IdentReplacesTheBodyOnly) {
    Modem both = Make("zte,echo=0,ident=ZTE%20and%20huawei");
    EXPECT_EQ(Wire(both.Receive("ATI\r")), "\r\nZTE and huawei\r\n\r\nOK\r\n");
    Modem withNul = Make("huawei,echo=0,ident=Hua%00wei");
    EXPECT_EQ(Wire(withNul.Receive("ATI\r")), "\r\nHua\0wei\r\n\r\nOK\r\n"s);
    Modem empty = Make("huawei,echo=0,ident=");
    EXPECT_EQ(Wire(empty.Receive("ATI\r")), "\r\n\r\n\r\nOK\r\n");
}

TEST(Options, ErrorAndMuteOnMatchCommandsIgnoringCase) {
    Modem huawei = Make("huawei,error-on=AT^U2DIAG=0,mute-on=ati");
    EXPECT_EQ(Wire(huawei.Receive("at^u2diag=0\r")), "at^u2diag=0\r\r\nERROR\r\n");
    EXPECT_EQ(huawei.State(), "none");
    const Reaction muted = huawei.Receive("ATI\r");
    EXPECT_EQ(Wire(muted), "ATI\r");  // echo only
    EXPECT_EQ(Replies(muted), "");
    EXPECT_EQ(Wire(huawei.Receive("AT^U2DIAG=257\r")), "AT^U2DIAG=257\r\r\nOK\r\n");
}

TEST(Options, UnplugAfterCountsBytesAndIgnoresTheRest) {
    Modem zte = Make("zte,unplug-after=5");
    const Reaction first = zte.Receive("AT");
    EXPECT_FALSE(first.unplug);
    const Reaction second = zte.Receive("\rATI\r");
    EXPECT_TRUE(second.unplug);
    EXPECT_EQ(Wire(second), "\rAT\r\nOK\r\n") << "the burst is echoed before the reply";
    EXPECT_EQ(zte.Received(), "AT\rAT");
    const Reaction after = zte.Receive("more");
    EXPECT_TRUE(after.unplug);
    EXPECT_TRUE(after.out.empty());
    EXPECT_EQ(zte.Received(), "AT\rAT");
}

TEST(Options, UnplugOnVanishesBeforeAnswering) {
    Modem huawei = Make("huawei,unplug-on=AT^U2DIAG=0");
    const Reaction reaction = huawei.Receive("AT^U2DIAG=0\rAT\r");
    EXPECT_TRUE(reaction.unplug);
    EXPECT_EQ(Replies(reaction), "");
    EXPECT_EQ(huawei.State(), "none");
    EXPECT_EQ(huawei.Received(), "AT^U2DIAG=0\r");
}

TEST(Personalities, SilentAndChatterSwallowInput) {
    for (const char* base : {"silent", "chatter"}) {
        Modem modem = Make(base);
        EXPECT_TRUE(modem.Receive("ATI\r").out.empty()) << base;
        EXPECT_EQ(modem.Received(), "ATI\r") << base;
    }
}

TEST(Personalities, ErrorAnswersEverything) {
    Modem error = Make("error");
    EXPECT_EQ(Wire(error.Receive("AT\r")), "AT\r\r\nERROR\r\n");
    // A burst is echoed whole before its replies, its trailing "\n" included.
    EXPECT_EQ(Wire(error.Receive("AT\rATI\r\n")), "AT\rATI\r\n\r\nERROR\r\n\r\nERROR\r\n");
}

TEST(Personalities, NulAnswersEveryCommandWithItsReply) {
    Modem nul = Make("nul,echo=0");
    const std::string reply = "\r\n\0\0huawei\0\r\n\r\nOK\r\n"s;
    EXPECT_EQ(Wire(nul.Receive("ATI\r")), reply);
    EXPECT_EQ(Wire(nul.Receive("AT\r")), reply);
    Modem custom = Make("nul,echo=0,reply=%00ZTE%0D%0A");
    EXPECT_EQ(Wire(custom.Receive("ATI\r")), "\0ZTE\r\n"s);
}

std::string Repeated(const std::string& line, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += line;
    return all;
}

// Noisy firmware: report lines before the answer, a zero byte before its OK,
// an answer that only trickles; other commands answer as ever.
TEST(Noise, FloodsNulsAndDribblesOnlyTheirCommands) {
    const struct {
        const char* config;
        const char* command;
        std::string replies;
        bool dribbles;
    } cases[] = {
        {"zte,echo=0,flood-on=AT+ZCDRUN=8,flood-lines=3", "AT+ZCDRUN=8\r",
         Repeated("\r\n+ZUSIMR:2\r\n", 3) +
             "\r\nClose autorun state result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n",
         false},
        {"huawei,echo=0,flood-on=AT^U2DIAG=0", "AT^U2DIAG=0\r",
         Repeated("\r\n^RSSI:12\r\n", 150) + "\r\nOK\r\n", false},
        {"zte,echo=0,nul-on=AT+ZCDRUN=8", "AT+ZCDRUN=8\r",
         "\r\nClose autorun state result(0:FAIL 1:SUCCESS):1\r\n\0\r\nOK\r\n"s, false},
        {"huawei,echo=0,nul-on=AT^U2DIAG=0", "AT^U2DIAG=0\r", "\0\r\nOK\r\n"s, false},
        {"zte,echo=0,nul-on=AT+ZCDRUN=8,flood-on=AT+ZCDRUN=8", "AT+ZCDRUN=E\r",
         "\r\nClose download mode result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n", false},
        {"zte,dribble-on=AT+ZCDRUN=8", "AT+ZCDRUN=8\r", "", true},
        {"huawei,echo=0,ident=X,stray-ok-on=ATI,stray-ms=40", "ATI\r",
         "\r\nX\r\n\r\nOK\r\n[+40]\r\nOK\r\n", false},
        {"huawei,echo=0,late-on=AT^U2DIAG?", "AT^U2DIAG?\r",
         "[+1300]\r\n^U2DIAG: 257\r\n\r\nOK\r\n", false},
        {"zte,echo=0,stray-ok-on=AT+ZCDRUN=8,stray-ms=0,fail-on=AT+ZCDRUN=E",
         "AT+ZCDRUN=8\rAT+ZCDRUN=E\r",
         "\r\nClose autorun state result(0:FAIL 1:SUCCESS):1\r\n\r\nOK\r\n\r\nOK\r\n"
         "\r\nClose download mode result(0:FAIL 1:SUCCESS):0\r\n\r\nOK\r\n",
         false},
        {"e3372,echo=0,too-many-on=AT^SETPORT=?", "AT^SETPORT=?\r",
         "\r\nTOO MANY PARAMETERS\r\n", false},
    };
    for (const auto& c : cases) {
        Modem modem = Make(c.config);
        const Reaction reaction = modem.Receive(c.command);
        EXPECT_EQ(Replies(reaction), c.replies) << c.config;
        EXPECT_EQ(reaction.dribble, c.dribbles) << c.config;
    }
    DribbleSource dribble(Base::Zte);
    std::string trickle;
    for (int i = 0; i < 100; ++i) trickle += dribble.Next();
    EXPECT_EQ(trickle.compare(0, 13, "\r\n+ZUSIMR:2\r\n"), 0);
    EXPECT_EQ(trickle.find("OK"), std::string::npos);
}

TEST(Chatter, StreamsWholeLinesWithoutOkInAnySplit) {
    ChatterSource source;
    std::string stream;
    for (std::size_t size : {1u, 7u, 100u, 4096u, 3u, 50000u}) {
        const std::string chunk = source.Next(size);
        EXPECT_EQ(chunk.size(), size);
        stream += chunk;
    }
    EXPECT_EQ(stream.find("OK"), std::string::npos);
    EXPECT_EQ(stream.compare(0, 12, "\r\n^RSSI:17\r\n"), 0);
    EXPECT_NE(stream.find("\r\n+CREG: 1,"), std::string::npos);
    ChatterSource whole;
    EXPECT_EQ(whole.Next(stream.size()), stream);  // the split does not change the text
}

}  // namespace
}  // namespace modemsim
