// Steps a user takes with the program, each with the checks that belong to
// it. Scenarios are built from these, so each expectation is written once.
#pragma once

#include <string>

#include "check_report.h"
#include "program_under_test.h"

// Time a whole switch run may take: a scan of 31 ports plus the commands.
constexpr unsigned long kRunTimeoutMs = 30000;

// Starts the program; checks that its dialog appears and stands idle: all
// three buttons enabled with their labels, the log showing the help text.
bool StartIdle(ProgramUnderTest& program, CheckReport& report);

// Checks which of the three buttons are enabled; what names the moment.
bool ExpectButtons(const ProgramUnderTest& program, CheckReport& report, const std::string& what,
                   bool modemOnly, bool extra, bool exit);

// Clicks a mode button, checks the confirmation it asks for and answers it
// with IDYES or IDNO; returns once the confirmation is gone.
bool AnswerConfirmation(ProgramUnderTest& program, CheckReport& report, int buttonId,
                        const char* confirmationText, int answer);

// Waits until a run has finished, which is when "Выход" is enabled again
// after the run has begun.
bool WaitForRunEnd(ProgramUnderTest& program, CheckReport& report);

// Checks the progress bar's position and range.
void ExpectProgress(const ProgramUnderTest& program, CheckReport& report, int pos, int high);

// Clicks "Выход" and checks that the program ends with exit code 0.
void LeaveThroughExit(ProgramUnderTest& program, CheckReport& report);

// Checks that the program ended by itself (without "Выход") with exit code 0.
void ExpectEnded(ProgramUnderTest& program, CheckReport& report, const std::string& what);

// Returns whether text holds parts in this order, not overlapping; *missing
// receives the first part not found.
bool ContainsInOrder(const std::string& text, const std::vector<std::string>& parts,
                     std::string* missing);

bool EndsWith(const std::string& text, const std::string& end);
