// Network shares for tests: Wine takes the folder dosdevices\unc\<server>\<share> of its prefix
// for "\\<server>\<share>", so a TempFolder made in WineShares() is the share ShareOf(its path).
#pragma once

#include <string>

// The folder of the server "srv"'s shares in the prefix (on Z:, Wine's drive of the Unix
// root); empty when not under Wine, where a test that needs a share is skipped.
std::wstring WineShares();

// The share that a folder made in WineShares() stands for: "\\srv\<its name>".
std::wstring ShareOf(const std::wstring& folder);
