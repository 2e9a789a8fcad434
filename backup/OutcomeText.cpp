#include "backup/OutcomeText.h"

#include <cwctype>

#include "platform/MachinePlatform.h"

namespace {

std::wstring Joined(const std::vector<std::wstring>& parts)
{
    std::wstring text;
    for (const std::wstring& part : parts)
        text += (text.empty() ? L"" : L", ") + part;
    return text;
}

std::wstring DamagedNames(const DriverPackage& package)
{
    std::vector<std::wstring> names;
    for (const BadFile& file : package.verification.badFiles)
        names.push_back(file.path);
    return Joined(names);
}

} // namespace

std::wstring DecisionText(const DriverPackage& package)
{
    const std::wstring words = WordsOf(package.outcome).decision;
    switch (package.outcome) {
    case PackageOutcome::InstallFailed:
        // What it was to be: staged alone, or installed on its devices.
        return package.devices.empty() ? WordsOf(PackageOutcome::ToStage).decision : words;
    case PackageOutcome::FilesDamaged:
        return words + L": " + DamagedNames(package);
    case PackageOutcome::InfRefused:
        return package.error.empty() ? words : L"refuse: " + package.error;
    default:
        return words;
    }
}

std::wstring ResultLine(const DriverPackage& package)
{
    const OutcomeWords& words = WordsOf(package.outcome);
    std::wstring line = words.result;
    line[0] = static_cast<wchar_t>(std::towupper(line[0]));
    switch (package.outcome) {
    case PackageOutcome::NewerInBackup:
        line += L" (" + package.newerPackage + L")";
        break;
    case PackageOutcome::NotForArchitecture:
        line += L" (" + MachineDecoration() + L")";
        break;
    case PackageOutcome::InfRefused:
    case PackageOutcome::InstallFailed:
        line += package.error.empty() ? std::wstring() : L": " + package.error;
        break;
    default:
        break;
    }
    return (words.settled ? L"" : L"ERROR: ") + line + L".";
}

std::wstring VerdictText(const DriverPackage& package)
{
    const wchar_t* verdict = WordsOf(package.outcome).verdict;
    if (verdict)
        return verdict;
    return package.catalogs.empty() ? L"unsigned" : L"intact";
}

bool IsIntact(const DriverPackage& package)
{
    return IsSound(package.outcome) && !package.catalogs.empty();
}

ListedOutcome ListedOutcomeOf(const DriverPackage& package)
{
    if (!IsRunResult(package.outcome)) {
        const bool missing = package.outcome == PackageOutcome::FilesMissing;
        return {DecisionText(package), missing ? Joined(package.missingFiles) : std::wstring()};
    }
    const std::wstring reason = package.error.empty() ? Joined(package.missingFiles) : package.error;
    return {WordsOf(package.outcome).result, reason};
}

ListedOutcome ListedVerdictOf(const DriverPackage& package)
{
    const bool refused = package.outcome == PackageOutcome::InfRefused;
    return {VerdictText(package), refused ? package.error : std::wstring()};
}
