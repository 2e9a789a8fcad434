// What a verification against its catalog makes of a driver package of a backup, and which of
// its files are at fault.
#pragma once

#include <string>
#include <vector>

enum class Verdict {
    Intact,      // every file it needs is there and matches its catalog
    Damaged,     // a file does not match the catalog, or the catalog itself is unusable
    Incomplete,  // a file it needs is missing
    Unsigned,    // every file is there, but the INF names no catalog to check them against
    Refused,     // the INF cannot be read or names a missing install section
};

// What is wrong with a file of a package.
enum class FileFault {
    Missing,   // not in the package's folder
    Damaged,   // does not match the catalog
    Unusable,  // cannot be read, leads out of the package, or is no usable catalog
};

struct BadFile {
    std::wstring path;    // relative to the package's folder
    std::wstring reason;  // "missing", "does not match the catalog", ...
    FileFault fault = FileFault::Damaged;
};

struct PackageVerification {
    Verdict verdict = Verdict::Intact;
    std::vector<BadFile> badFiles;
    std::wstring refusal;    // why the INF was refused
    std::wstring signature;  // what the system says of the catalog's signature; empty when unjudged
};

// The verdict from what was found: a refused INF first, then missing files, then a package
// without a catalog, then any file that did not match (or an unusable catalog).
Verdict JudgePackage(bool infRefused, bool filesMissing, bool hasCatalog, bool anyMismatch);

// The verdict as the output names it: "intact", "damaged", "incomplete", "unsigned", "refused".
std::wstring VerdictText(Verdict verdict);

// A package that may be handed to the installer: nothing missing or damaged in it.
bool IsSound(Verdict verdict);
