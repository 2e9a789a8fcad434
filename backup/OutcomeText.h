// A package's outcome in words, with the reason and the details that the package holds: the
// plan's decision, the log's line, the verification's verdict and the status cell of the
// package lists. The words themselves are the outcome's (WordsOf).
#pragma once

#include <string>

#include "backup/DriverPackage.h"

// "install", "stage: no device present", "skip: a newer package in this backup",
// "refuse: files missing", "refuse: files damaged: a.sys, b.dll", "refuse: no device models".
std::wstring DecisionText(const DriverPackage& package);

// The log's line of what the run did with the package: "Installed.", "Skipped: a newer
// package in this backup (Dev\dev.inf).", "ERROR: INF refused: no device models."
std::wstring ResultLine(const DriverPackage& package);

// "intact", "damaged", "incomplete", "unsigned" or "refused".
std::wstring VerdictText(const DriverPackage& package);
// Every file is there and matches the package's catalogs.
bool IsIntact(const DriverPackage& package);

// What a package list shows of the package, in two parts that it joins as "<words>: <reason>":
// before the run the decision (with the missing files as its reason), after it what the run
// did (with the error, the missing or the damaged files as its reason).
struct ListedOutcome {
    std::wstring words;
    std::wstring reason;  // empty when there is none
};
ListedOutcome ListedOutcomeOf(const DriverPackage& package);
// The verdict, with why the INF was refused as its reason.
ListedOutcome ListedVerdictOf(const DriverPackage& package);
