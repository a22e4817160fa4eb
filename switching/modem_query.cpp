// The mode query on a session's port, and what it teaches the session.
#include <cstring>

#include "exchange.h"
#include "switch_host.h"
#include "vendors.h"

namespace {

// Asks one generation's query; the stick's answer decides whether the
// session learns that generation and its mode.
enum class Asked { Reported, Refused, Unreported };

Asked AskGeneration(ModemSession* session, const Generation& generation) {
    StickKnowledge& stick = session->stick;
    stick.asked = &generation;
    char answer[kAnswerBufferSize] = {};
    const ExchangeResult exchange =
        ExchangeCommand(&session->port, generation.modeQuery, nullptr, kCommandTimes, answer);
    if (exchange.Refused()) {
        stick.queryRefused.Add(&generation);
        return Asked::Refused;
    }
    if (!exchange.Confirmed() || !generation.parseModeAnswer(answer, &stick.mode)) {
        return Asked::Unreported;
    }
    stick.generation = &generation;
    stick.modeKnown = true;
    std::memcpy(stick.modeAnswer, answer, sizeof answer);
    return Asked::Reported;
}

}  // namespace

bool QueryModeOn(ModemSession* session, ModeReport* report) {
    if (session->port.handle == comdev::kClosedDevice || session->vendor == nullptr) return false;
    StickKnowledge& stick = session->stick;
    for (const Generation* generation : session->vendor->generations) {
        if (stick.modeAsked) break;
        const bool candidate = stick.generation == nullptr || stick.generation == generation;
        if (!candidate || stick.queryRefused.Has(generation)) continue;
        // Silence, garbage or a bare OK is no refusal: the stick has this
        // command and said nothing of its mode, so no other is tried.
        stick.modeAsked = AskGeneration(session, *generation) != Asked::Refused;
    }
    stick.modeAsked = true;
    if (stick.modeKnown) *report = stick.mode;
    return stick.modeKnown;
}

const char* ModeQueryOf(const ModemSession& session) {
    const StickKnowledge& stick = session.stick;
    const bool answered = stick.asked != nullptr && !stick.queryRefused.Has(stick.asked);
    return (answered ? stick.asked : session.vendor->generations.rows[0])->modeQuery;
}
