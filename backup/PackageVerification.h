// What the verification of a package against its catalogs found: the files at fault and what
// the system says of the catalog's signature. The verdict itself is the package's outcome.
#pragma once

#include <string>
#include <vector>

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
    std::vector<BadFile> badFiles;
    std::wstring signature;  // what the system says of the catalog's signature; empty when unjudged
};
