#include "app/VerifiedReport.h"

#include "backup/OutcomeText.h"
#include "platform/FileNameCompare.h"

namespace {

// The folder part of a package's name relative to the backup ("Class\Device" of
// "Class\Device\x.inf"), as a device's folder in the report is named.
std::wstring PackageFolderName(const DriverPackage& package)
{
    const size_t separator = package.displayName.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring() : package.displayName.substr(0, separator);
}

std::wstring VerifiedWord(const DriverPackage& package)
{
    const std::wstring verdict = VerdictText(package);
    return verdict == L"intact" || verdict == L"unsigned" ? verdict : L"damaged";
}

} // namespace

void MarkVerified(DeviceReport& report, const std::vector<DriverPackage>& packages)
{
    for (ReportDevice& device : report.devices) {
        if (!device.folder)
            continue;
        for (const DriverPackage& package : packages) {
            if (!SameFileName(PackageFolderName(package), *device.folder))
                continue;
            // A folder with several packages is as sound as the worst of them.
            const std::wstring word = VerifiedWord(package);
            if (!device.verified || word == L"damaged" || (word == L"unsigned" && *device.verified == L"intact"))
                device.verified = word;
        }
    }
}
