#include "port_config.h"

#include <cctype>
#include <charconv>
#include <functional>

#include "escape.h"

namespace modemsim {

const char kDefaultNulReply[] = "\r\n\0\0huawei\0\r\n\r\nOK\r\n";
static_assert(sizeof(kDefaultNulReply) - 1 == kDefaultNulReplySize);

namespace {

constexpr int kMaxDelayMs = 60000;
constexpr long kMaxU2diag = 99999;  // the five digits AT^U2DIAG= takes
constexpr long kMaxFloodLines = 10000;

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::vector<std::string_view> SplitWhitespace(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        const std::size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::optional<long> ParseNumber(std::string_view text, long min, long max) {
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<Base> ParseBase(std::string_view name) {
    static const std::map<std::string_view, Base> kBases = {
        {"zte", Base::Zte},         {"huawei", Base::Huawei}, {"e3372", Base::E3372},   {"e3372h", Base::E3372h},
        {"e3131", Base::E3131},     {"silent", Base::Silent}, {"error", Base::Error},
        {"chatter", Base::Chatter}, {"nul", Base::Nul},       {"locked", Base::Locked},
    };
    const auto found = kBases.find(name);
    if (found == kBases.end()) return std::nullopt;
    return found->second;
}

// Applies one option; returns an empty string or the reason it was refused.
using OptionSetter = std::function<std::string(PortConfig&, const std::string& value)>;

std::string SetNonEmpty(std::string* field, const std::string& value) {
    if (value.empty()) return "needs a value";
    *field = value;
    return {};
}

std::string AddCommand(std::vector<std::string>* list, const std::string& value) {
    if (value.empty()) return "needs a command";
    list->push_back(value);
    return {};
}

// Refuses an option meant for the sticks with AT^SETPORT only.
std::string OnlySetportSticks(const PortConfig& config) {
    return config.base == Base::E3372 || config.base == Base::E3372h || config.base == Base::E3131
               ? std::string()
               : "only for e3372, e3372h and e3131";
}

// Refuses an option meant for the other talking personality.
std::string OnlyFor(Base wanted, const char* name, const PortConfig& config) {
    return config.base == wanted ? std::string() : std::string("only for ") + name;
}

// Only for the talking personalities, which have answers to make noisy.
std::string AddNoisyCommand(PortConfig& config, std::vector<std::string>* list,
                            const std::string& value) {
    if (config.base != Base::Zte && config.base != Base::Huawei) return "only for zte or huawei";
    return AddCommand(list, value);
}

std::string SetNumber(long* field, const std::string& value, long min, long max) {
    const auto n = ParseNumber(value, min, max);
    if (!n) return "must be " + std::to_string(min) + ".." + std::to_string(max);
    *field = *n;
    return {};
}

// The options of noisy answers (NoisyAnswers).
const std::map<std::string_view, OptionSetter>& NoiseSetters() {
    static const std::map<std::string_view, OptionSetter> kSetters = {
        {"flood-on", [](PortConfig& s,
                        const std::string& v) { return AddNoisyCommand(s, &s.noise.floodOn, v); }},
        {"flood-lines",
         [](PortConfig& s, const std::string& v) {
             long lines = 0;
             const std::string why = SetNumber(&lines, v, 1, kMaxFloodLines);
             if (why.empty()) s.noise.floodLines = static_cast<std::size_t>(lines);
             return why;
         }},
        {"nul-on",
         [](PortConfig& s, const std::string& v) { return AddNoisyCommand(s, &s.noise.nulOn, v); }},
        {"dribble-on",
         [](PortConfig& s, const std::string& v) {
             return AddNoisyCommand(s, &s.noise.dribbleOn, v);
         }},
        {"stray-ok-on",
         [](PortConfig& s, const std::string& v) { return AddCommand(&s.noise.strayOkOn, v); }},
        {"stray-ms",
         [](PortConfig& s, const std::string& v) {
             long ms = 0;
             const std::string why = SetNumber(&ms, v, 0, kMaxDelayMs);
             if (why.empty()) s.noise.strayMs = static_cast<int>(ms);
             return why;
         }},
        {"late-on", [](PortConfig& s, const std::string& v) { return AddCommand(&s.noise.lateOn, v); }},
        {"late-ms",
         [](PortConfig& s, const std::string& v) {
             long ms = 0;
             const std::string why = SetNumber(&ms, v, 0, kMaxDelayMs);
             if (why.empty()) s.noise.lateMs = static_cast<int>(ms);
             return why;
         }},
        {"too-many-on",
         [](PortConfig& s, const std::string& v) { return AddCommand(&s.noise.tooManyOn, v); }},
        {"dribble-ms",
         [](PortConfig& s, const std::string& v) {
             long ms = 0;
             const std::string why = SetNumber(&ms, v, 1, kMaxDelayMs);
             if (why.empty()) s.noise.dribbleMs = static_cast<int>(ms);
             return why;
         }},
    };
    return kSetters;
}

const std::map<std::string_view, OptionSetter>& OptionSetters() {
    static const std::map<std::string_view, OptionSetter> kSetters = {
        {"ident",
         [](PortConfig& s, const std::string& v) {
             s.ident = v;
             return std::string();
         }},
        {"echo",
         [](PortConfig& s, const std::string& v) {
             if (v != "0" && v != "1") return std::string("must be 0 or 1");
             s.echo = v == "1";
             return std::string();
         }},
        {"error-on", [](PortConfig& s, const std::string& v) { return AddCommand(&s.errorOn, v); }},
        {"fail-on",
         [](PortConfig& s, const std::string& v) {
             const std::string why = OnlyFor(Base::Zte, "zte", s);
             return why.empty() ? AddCommand(&s.failOn, v) : why;
         }},
        {"autorun",
         [](PortConfig& s, const std::string& v) {
             std::string why = OnlyFor(Base::Zte, "zte", s);
             if (why.empty() && v != "0" && v != "1") why = "must be 0 or 1";
             if (why.empty()) s.autorun = v == "1";
             return why;
         }},
        {"u2diag",
         [](PortConfig& s, const std::string& v) {
             std::string why = OnlyFor(Base::Huawei, "huawei", s);
             const auto n = ParseNumber(v, 0, kMaxU2diag);
             if (why.empty() && !n) why = "must be 0..99999";
             if (why.empty()) s.u2diag = *n;
             return why;
         }},
        {"u2diag-form",
         [](PortConfig& s, const std::string& v) {
             std::string why = OnlyFor(Base::Huawei, "huawei", s);
             if (why.empty() && v.find('#') == std::string::npos) why = "needs a #";
             if (why.empty()) s.u2diagForm = v;
             return why;
         }},
        {"mode-on-replug",
         [](PortConfig& s, const std::string& v) {
             if (!v.empty()) return std::string("takes no value");
             s.modeOnReplug = true;
             return std::string();
         }},
        {"setport",
         [](PortConfig& s, const std::string& v) {
             const std::string why = OnlySetportSticks(s);
             return why.empty() ? SetNonEmpty(&s.setport.emplace(), v) : why;
         }},
        {"refuse-set",
         [](PortConfig& s, const std::string& v) {
             std::string why = OnlySetportSticks(s);
             if (why.empty() && !v.empty()) why = "takes no value";
             if (why.empty()) s.refuseSet = true;
             return why;
         }},
        {"setport-blanks",
         [](PortConfig& s, const std::string& v) {
             std::string why = OnlySetportSticks(s);
             if (why.empty() && !v.empty()) why = "takes no value";
             if (why.empty()) s.setportBlanks = true;
             return why;
         }},
        {"mute-on", [](PortConfig& s, const std::string& v) { return AddCommand(&s.muteOn, v); }},
        {"unplug-on",
         [](PortConfig& s, const std::string& v) { return AddCommand(&s.unplugOn, v); }},
        {"unplug-after",
         [](PortConfig& s, const std::string& v) {
             const auto n = ParseNumber(v, 1, 1L << 30);
             if (!n) return std::string("must be a positive number");
             s.unplugAfter = static_cast<std::size_t>(*n);
             return std::string();
         }},
        {"gone-after-close",
         [](PortConfig& s, const std::string& v) {
             if (!v.empty()) return std::string("takes no value");
             s.goneAfterClose = true;
             return std::string();
         }},
        {"delay-ms",
         [](PortConfig& s, const std::string& v) {
             const auto n = ParseNumber(v, 0, kMaxDelayMs);
             if (!n) return std::string("must be 0..60000");
             s.delayMs = static_cast<int>(*n);
             return std::string();
         }},
        {"reply",
         [](PortConfig& s, const std::string& v) {
             if (s.base != Base::Nul) return std::string("only for nul");
             return SetNonEmpty(&s.nulReply, v);
         }},
    };
    return kSetters;
}

// The setter of an option by its name, or null.
const OptionSetter* FindSetter(std::string_view name) {
    for (const auto* setters : {&OptionSetters(), &NoiseSetters()}) {
        const auto found = setters->find(name);
        if (found != setters->end()) return &found->second;
    }
    return nullptr;
}

std::string ApplyOption(std::string_view option, PortConfig& config) {
    const std::size_t equals = option.find('=');
    const std::string_view name = option.substr(0, equals);
    const OptionSetter* setter = FindSetter(name);
    if (setter == nullptr) return "unknown option '" + std::string(name) + "'";
    if (config.base == Base::Locked) return "locked takes no options";
    std::string value;
    if (equals != std::string_view::npos) {
        const auto decoded = PercentDecode(option.substr(equals + 1));
        if (!decoded) return "bad percent escape in '" + std::string(option) + "'";
        value = *decoded;
    }
    const std::string why = (*setter)(config, value);
    return why.empty() ? why : std::string(name) + " " + why;
}

}  // namespace

std::optional<PortConfig> ParsePortConfig(std::string_view text, std::string* error) {
    const std::vector<std::string_view> parts = Split(text, ',');
    PortConfig config;
    const auto base = ParseBase(parts[0]);
    if (!base) {
        *error = "unknown personality '" + std::string(parts[0]) + "'";
        return std::nullopt;
    }
    config.base = *base;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string why = ApplyOption(parts[i], config);
        if (!why.empty()) {
            *error = why;
            return std::nullopt;
        }
    }
    return config;
}

std::optional<int> ParseComName(std::string_view text) {
    if (text.size() < 4) return std::nullopt;
    for (int i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) return std::nullopt;
    }
    const auto number = ParseNumber(text.substr(3), kFirstCom, kLastCom);
    if (!number) return std::nullopt;
    return static_cast<int>(*number);
}

std::optional<Layout> ParseLayout(std::string_view text, std::string* error) {
    Layout layout;
    for (std::string_view word : SplitWhitespace(text)) {
        const std::size_t equals = word.find('=');
        const auto com = ParseComName(word.substr(0, equals));
        if (!com || equals == std::string_view::npos) {
            *error = "expected COMn=CONFIG, got '" + std::string(word) + "'";
            return std::nullopt;
        }
        if (layout.count(*com) != 0) {
            *error = "COM" + std::to_string(*com) + " given twice";
            return std::nullopt;
        }
        std::string why;
        auto config = ParsePortConfig(word.substr(equals + 1), &why);
        if (!config) {
            *error = "COM" + std::to_string(*com) + ": " + why;
            return std::nullopt;
        }
        layout.emplace(*com, std::move(*config));
    }
    return layout;
}

}  // namespace modemsim
