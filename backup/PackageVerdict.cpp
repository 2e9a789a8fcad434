#include "backup/PackageVerdict.h"

Verdict JudgePackage(bool infRefused, bool filesMissing, bool hasCatalog, bool anyMismatch)
{
    if (infRefused)
        return Verdict::Refused;
    if (filesMissing)
        return Verdict::Incomplete;
    if (!hasCatalog)
        return Verdict::Unsigned;
    return anyMismatch ? Verdict::Damaged : Verdict::Intact;
}

std::wstring VerdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Intact:
        return L"intact";
    case Verdict::Damaged:
        return L"damaged";
    case Verdict::Incomplete:
        return L"incomplete";
    case Verdict::Unsigned:
        return L"unsigned";
    case Verdict::Refused:
        return L"refused";
    }
    return std::wstring();
}

bool IsSound(Verdict verdict)
{
    return verdict == Verdict::Intact || verdict == Verdict::Unsigned;
}
