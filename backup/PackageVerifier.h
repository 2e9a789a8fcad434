// Verifies a checked driver package of a backup against its catalogs: every file its
// installation needs and the INF itself must be listed in each catalog the INF names under its
// hash (and, where the catalog records its files' names, under its own name). Every file is
// read as opened inside the package folder. Changes nothing.
#pragma once

#include <string>

#include "platform/CatalogHasher.h"
#include "backup/DriverPackage.h"

class PackageVerifier {
public:
    // Sets the package's verification: its missing files and every file that does not match
    // its catalogs. A package that the check found sound and that has a file at fault becomes
    // FilesDamaged. package has been through PackageChecker::Check, which found its files and
    // its catalogs.
    void Verify(DriverPackage& package) const;

private:
    void MatchFiles(const DriverPackage& package, PackageVerification& verification) const;

    CatalogHasher hasher;
};

// What the system says of the signature of the catalog at path, open as file (WinVerifyTrust):
// "signed", "not signed", or why the signature is not accepted. Reported only: a catalog made
// on a test system or one the system cannot judge still vouches for the hashes it lists.
std::wstring CatalogSignatureText(const std::wstring& path, HANDLE file);
