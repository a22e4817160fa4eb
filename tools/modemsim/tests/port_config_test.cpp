#include <gtest/gtest.h>

#include "escape.h"
#include "port_config.h"

namespace modemsim {
namespace {

using namespace std::string_literals;

TEST(Escapes, PercentDecodesEveryDocumentedEscapeAndRejectsBrokenOnes) {
    EXPECT_EQ(PercentDecode("a%0D%0A%20%00%2C%25z"), "a\r\n \0,%z"s);
    EXPECT_EQ(PercentDecode("%2c%2C"), ",,");
    EXPECT_EQ(PercentDecode("%"), std::nullopt);
    EXPECT_EQ(PercentDecode("%0"), std::nullopt);
    EXPECT_EQ(PercentDecode("%G1"), std::nullopt);
}

TEST(Escapes, HexRoundTripsAllByteValues) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string hex = HexEncode(all);
    EXPECT_EQ(hex.substr(0, 8), "00010203");
    EXPECT_EQ(hex.substr(hex.size() - 4), "feff");
    EXPECT_EQ(HexDecode(hex), all);
    EXPECT_EQ(HexDecode("0D0a"), "\r\n");
    EXPECT_EQ(HexDecode("abc"), std::nullopt);
    EXPECT_EQ(HexDecode("zz"), std::nullopt);
}

TEST(Escapes, PrintableShowsControlBytes) {
    EXPECT_EQ(Printable(std::string("AT\r\n\0\\", 6)), "AT\\r\\n\\x00\\x5c");
}

TEST(PortConfig, OptionsAreParsedAndDecoded) {
    std::string error;
    const auto config = ParsePortConfig(
        "huawei,echo=0,ident=A%2CB%0D%0AC,error-on=AT^U2DIAG=0,error-on=ATI,mute-on=AT,"
        "unplug-on=AT+X,unplug-after=7,gone-after-close,delay-ms=250",
        &error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->base, Base::Huawei);
    EXPECT_FALSE(config->echo);
    EXPECT_EQ(config->ident, "A,B\r\nC");
    EXPECT_EQ(config->errorOn, (std::vector<std::string>{"AT^U2DIAG=0", "ATI"}));
    EXPECT_EQ(config->muteOn, std::vector<std::string>{"AT"});
    EXPECT_EQ(config->unplugOn, std::vector<std::string>{"AT+X"});
    EXPECT_EQ(config->unplugAfter, 7u);
    EXPECT_TRUE(config->goneAfterClose);
    EXPECT_EQ(config->delayMs, 250);
}

TEST(PortConfig, DefaultsAndNulReply) {
    std::string error;
    const auto plain = ParsePortConfig("zte", &error);
    ASSERT_TRUE(plain) << error;
    EXPECT_TRUE(plain->echo);
    EXPECT_FALSE(plain->ident);
    EXPECT_FALSE(plain->unplugAfter);
    EXPECT_EQ(plain->delayMs, 0);

    const auto nul = ParsePortConfig("nul", &error);
    ASSERT_TRUE(nul);
    EXPECT_EQ(nul->nulReply, "\r\n\0\0huawei\0\r\n\r\nOK\r\n"s);
    const auto custom = ParsePortConfig("nul,reply=%00OK", &error);
    ASSERT_TRUE(custom);
    EXPECT_EQ(custom->nulReply, "\0OK"s);
}

TEST(PortConfig, RefusesBadConfigsWithAReason) {
    const char* const bad[] = {
        "modem",           "zte,colour=red",         "zte,echo=2",
        "zte,delay-ms=-1", "zte,delay-ms=x",         "zte,unplug-after=0",
        "zte,error-on",    "zte,ident=%zz",          "locked,echo=0",
        "zte,reply=x",     "zte,gone-after-close=1", "",
        // The mode options belong to one personality each.
        "huawei,fail-on=AT^U2DIAG=0", "zte,u2diag=0", "huawei,autorun=1", "zte,autorun=2",
        "huawei,u2diag=100000", "huawei,u2diag=-1", "zte,mode-on-replug=1",
        // Noisy answers need a talking personality, and sane numbers.
        "error,flood-on=AT", "nul,dribble-on=AT", "silent,nul-on=AT", "zte,flood-lines=0",
        "zte,dribble-ms=0", "zte,dribble-ms=60001",
        "zte,u2diag-form=#", "huawei,u2diag-form=0",
    };
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(ParsePortConfig(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(Layout, ParsesPortsAndRefusesMistakes) {
    std::string error;
    const auto layout = ParseLayout("  COM3=zte\tcom31=huawei,echo=0 COM10=locked ", &error);
    ASSERT_TRUE(layout) << error;
    ASSERT_EQ(layout->size(), 3u);
    EXPECT_EQ(layout->at(3).base, Base::Zte);
    EXPECT_EQ(layout->at(10).base, Base::Locked);
    EXPECT_FALSE(layout->at(31).echo);

    const auto empty = ParseLayout("", &error);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());

    for (const char* text : {"COM0=zte", "COM65=zte", "COM3", "LPT1=zte", "COM3=zte COM3=huawei",
                             "COM3=bogus", "COMx=zte"}) {
        error.clear();
        EXPECT_FALSE(ParseLayout(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(Layout, ComNames) {
    EXPECT_EQ(ParseComName("COM1"), 1);
    EXPECT_EQ(ParseComName("com31"), 31);
    EXPECT_EQ(ParseComName("COM64"), 64);
    EXPECT_EQ(ParseComName("COM65"), std::nullopt);
    EXPECT_EQ(ParseComName("COM"), std::nullopt);
    EXPECT_EQ(ParseComName("COM3 "), std::nullopt);
}

}  // namespace
}  // namespace modemsim
