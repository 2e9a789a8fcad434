#include "backup/BackupCheck.h"

#include "backup/PackageChecker.h"
#include "backup/PackageVerifier.h"

bool CheckPackages(std::vector<DriverPackage>& packages, bool force, const std::wstring& tempFolder,
                   IProgressReporter& reporter, const std::function<void(const DriverPackage&)>& checked)
{
    const PackageVerifier verifier;
    for (size_t i = 0; i < packages.size(); ++i) {
        DriverPackage& package = packages[i];
        package.force = force;
        PackageChecker::Check(package, tempFolder);
        // Verified before anything may hand it to the installer: a damaged package is
        // refused, /force or not.
        verifier.Verify(package);
        if (checked)
            checked(package);
        if (!reporter.Progress(static_cast<double>(i + 1) / static_cast<double>(packages.size())))
            return false;
    }
    return true;
}
