// The two things modemswitch does with a modem, each in one port session:
// `status` reads its mode and changes nothing; a switch (refused on a HiLink
// stick by the vendor's guard), once confirmed, reads the mode back.
#pragma once

#include <string>

#include "cli_options.h"
#include "port_report.h"
#include "stop_signals.h"
#include "terminal_host.h"

// Exit codes of `modemswitch status`: a switch's, read for a query.
enum StatusExit : int {
    kStatusRead = static_cast<int>(SwitchOutcome::Switched),  // the modem reported its mode
    kStatusNoModem = static_cast<int>(SwitchOutcome::NoModem),
    // The modem answered the query with ERROR or not at all.
    kStatusNotAnswered = static_cast<int>(SwitchOutcome::NotConfirmed),
};

// Finds the modem as a switch does, asks the vendor's mode query on the port
// found (the identification is what the search's ATI drew) and prints what it
// learnt to stdout (text or JSON). Ports are set already; a stop signal (of
// stops) ends the search with nothing printed.
int RunStatus(const CliOptions& options, const PortReport& report, comdev::StopSignals& stops);

// What the user said to the question before a switch.
enum class UserAnswer { Yes, No, Stopped };
// Asks question (in the locale's codeset) and reads the answer; a stop
// signal of stops ends the wait.
using AskUser = UserAnswer (*)(const std::string& question, comdev::StopSignals& stops);

// The switch run on output, its ports told through report, with the
// command line's own steps around it. With ask (no --yes) the modem is found
// first and the user asked, naming the stick, its port and the mode it
// reports, before anything that changes it is sent; a stick already in the
// mode is said and not asked about. *declined: the user said no (nothing was
// changed; the port was sent only ATI and read-only queries).
SwitchOutcome RunSwitchCommand(const CliOptions& options, const TerminalOutput& output,
                               const PortReport& report, comdev::StopSignals& stops, AskUser ask,
                               bool* declined);
