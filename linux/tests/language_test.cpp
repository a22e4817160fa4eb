// The language of the command line: which locale variables choose it, and
// that every text it may print is written in both languages.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_texts.h"
#include "switch_texts.h"
#include "vendors.h"

namespace {

TEST(Language, TheFirstLocaleVariableSetChooses) {
    const struct {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        Language expected;
    } cases[] = {
        {nullptr, nullptr, nullptr, Language::English},
        {nullptr, nullptr, "ru_RU.UTF-8", Language::Russian},
        {nullptr, nullptr, "ru_UA.KOI8-U", Language::Russian},
        {nullptr, nullptr, "C.UTF-8", Language::English},
        {nullptr, nullptr, "en_US.UTF-8", Language::English},
        {nullptr, nullptr, "POSIX", Language::English},
        {nullptr, nullptr, "rw_RW.UTF-8", Language::English},  // Kinyarwanda: "r" is not enough
        {nullptr, "ru_RU.UTF-8", "en_US.UTF-8", Language::Russian},
        {nullptr, "C", "ru_RU.UTF-8", Language::English},
        {"C.UTF-8", "ru_RU.UTF-8", "ru_RU.UTF-8", Language::English},
        {"ru_RU.UTF-8", "en_GB.UTF-8", "C", Language::Russian},
        {"", "", "ru_RU.UTF-8", Language::Russian},  // empty counts as unset
        {"", "en_US.UTF-8", "ru_RU.UTF-8", Language::English},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageOfLocale(c.lcAll, c.lcMessages, c.lang), c.expected)
            << (c.lcAll ? c.lcAll : "(unset)") << " / " << (c.lcMessages ? c.lcMessages : "(unset)")
            << " / " << (c.lang ? c.lang : "(unset)");
    }
}

bool HasCyrillic(const std::string& text) {
    // U+0400..U+04FF in UTF-8: a lead byte 0xD0..0xD3.
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0xD0 && byte <= 0xD3) return true;
    }
    return false;
}

// Every text the command line prints, its own and the run's (but the
// vendors' "found" lines and guards, which are in the vendor table).
#define NAMED(text) \
    { #text, &text }
const struct {
    const char* name;
    const Text* text;
} kAllTexts[] = {
    NAMED(kTextUsage),
    NAMED(kTextHelp),
    NAMED(kTextAskSwitch),
    NAMED(kTextModeNow),
    NAMED(kTextAlreadyThere),
    NAMED(kTextModemManager),
    NAMED(kTextPortNeedsPath),
    NAMED(kTextUnknownOption),
    NAMED(kTextOneMode),
    NAMED(kTextUnknownMode),
    NAMED(kTextNoMode),
    NAMED(kTextTooManyPorts),
    NAMED(kTextPortPathsTooLong),
    NAMED(kTextOnlyWithStatus),
    NAMED(kTextNotWithStatus),
    NAMED(kTextOnlyWithStatusOrList),
    NAMED(kTextNotWithList),
    NAMED(kTextListHeader),
    NAMED(kTextNotUsbPort),
    NAMED(kTextUsbDriver),
    NAMED(kTextPortFree),
    NAMED(kTextNoSerialPorts),
    NAMED(kTextStatusPort),
    NAMED(kTextStatusVendor),
    NAMED(kTextStatusMode),
    NAMED(kTextStatusNoReport),
    NAMED(kTextModeModemOnly),
    NAMED(kTextModeExtraFunctions),
    NAMED(kTextModeUnknown),
    NAMED(kTextReadBack),
    NAMED(kTextReadBackDiffers),
    NAMED(kTextReadBackUnsupported),
    NAMED(kTextFinishingSwitch),
    NAMED(kTextStoppedBeforeSwitch),
    NAMED(kTextMayBeHalfSwitched),
    NAMED(kTextSwitchOverran),
    NAMED(kTextStoppedAfterSwitch),
    NAMED(kTextStatusStopped),
    NAMED(kTextNoLockDirectory),
    NAMED(kTextModeHiLink),
    NAMED(kTextDoneModemOnly),
    NAMED(kTextDoneExtraFunctions),
    NAMED(kTextStandardOutput),
    NAMED(kTextPortAbsent),
    NAMED(kTextPortNotPermitted),
    NAMED(kTextPortHeldByProcess),
    NAMED(kTextPortHeldByModemManager),
    NAMED(kTextStopModemManager),
    NAMED(kTextPortHeldByUnknown),
    NAMED(kTextPortLockInTheWay),
    NAMED(kTextLockNamesNoRunningProcess),
    NAMED(kTextLockNoOwnerYet),
    NAMED(kTextLockStaleNotRemoved),
    NAMED(kTextLockSymlink),
    NAMED(kTextLockFifo),
    NAMED(kTextLockDevice),
    NAMED(kTextLockDirectory),
    NAMED(kTextLockSocket),
    NAMED(kTextLockTooLarge),
    NAMED(kTextLockUnreadable),
    NAMED(kTextLockContended),
    NAMED(kTextLockInTheWayAdvice),
    NAMED(kTextPortDoesNotOpen),
    NAMED(kTextPortNoAnswer),
    NAMED(kTextMilliseconds),
    NAMED(kTextPortNotAModem),
    NAMED(kTextModemPort),
    NAMED(kTextUsbInterface),
    NAMED(kTextUsbDevice),
    NAMED(kTextStickInCdMode),
    NAMED(kTextStickNetworkOnly),
    NAMED(kTextStickHasNoAtPort),
    NAMED(kTextSearching),
    NAMED(kTextNoModem),
    NAMED(kTextHeaderModemOnly),
    NAMED(kTextHeaderExtraFunctions),
    NAMED(kTextDone),
    NAMED(kTextPortNotOpened),
    NAMED(kTextNotConfirmed),
    NAMED(kTextValueBefore),
    NAMED(kTextRestoreWith),
    NAMED(kTextReplugModem),
    NAMED(kTextAlreadyInMode),
    NAMED(kTextSetportUnreadable),
    NAMED(kTextSetportEmpty),
    NAMED(kTextSetportNoPcUi),
    NAMED(kTextConfirmModemOnly),
    NAMED(kTextConfirmExtraFunctions),
    NAMED(kErrorWord),
    NAMED(kWarningWord),
};
#undef NAMED

// A Text with a language left empty does not compile; one whose English is
// still the Russian (or the other way round) does, and is caught here.
TEST(Texts, EveryTextIsWrittenInBothLanguages) {
    for (const auto& entry : kAllTexts) {
        EXPECT_TRUE(HasCyrillic(entry.text->russian)) << entry.name << ": no Russian";
        EXPECT_FALSE(HasCyrillic(entry.text->english)) << entry.name << ": no English";
    }
    for (const Vendor* vendor : kKnownVendors) {
        std::vector<const Text*> texts = {&vendor->found};
        for (const Generation* generation : vendor->generations) {
            if (const ModeGuard* guard = generation->guard) {
                texts.insert(texts.end(), {&guard->refused, &guard->why, &guard->unreported});
            }
            if (generation->afterSwitch != nullptr) texts.push_back(generation->afterSwitch);
        }
        for (const Text* text : texts) {
            EXPECT_TRUE(HasCyrillic(text->russian)) << vendor->name << ": no Russian";
            EXPECT_FALSE(HasCyrillic(text->english)) << vendor->name << ": no English";
        }
    }
}

// The names of the Text constants a header defines.
std::set<std::string> TextsDefinedIn(const char* header) {
    std::ifstream file(header);
    std::stringstream source;
    source << file.rdbuf();
    const std::string text = source.str();
    const std::regex definition(R"(constexpr\s+Text\s+(\w+))");
    std::set<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), definition), end; it != end; ++it) {
        names.insert((*it)[1]);
    }
    return names;
}

TEST(Texts, TheCheckAboveSeesEveryText) {
    std::set<std::string> listed;
    for (const auto& entry : kAllTexts) listed.insert(entry.name);
    std::set<std::string> defined = TextsDefinedIn(CLI_TEXTS_HEADER);
    const std::set<std::string> run = TextsDefinedIn(SWITCH_TEXTS_HEADER);
    ASSERT_FALSE(defined.empty());
    ASSERT_FALSE(run.empty());
    defined.insert(run.begin(), run.end());
    for (const std::string& name : defined) {
        EXPECT_EQ(listed.count(name), 1u) << name << " is missing from kAllTexts";
    }
}

}  // namespace
