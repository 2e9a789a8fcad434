#include "backup/PackageVerifier.h"

#include <softpub.h>
#include <wintrust.h>

#include "platform/ShellPath.h"
#include "platform/Trace.h"
#include "platform/CatalogMembers.h"

namespace {

bool AnyTagListed(const std::vector<std::wstring>& tags, const CatalogMembers& members)
{
    for (const std::wstring& tag : tags) {
        if (members.tags.count(tag))
            return true;
    }
    return false;
}

// A file of the package as the output names it: its path under the package's folder.
std::wstring NameInPackage(const std::wstring& path, const DriverPackage& package)
{
    const std::wstring folder = WithBackslash(package.sourceRoot);
    const bool inside = path.size() > folder.size() && EqualsFoldingAsciiCase(path.substr(0, folder.size()), folder);
    return inside ? path.substr(folder.size()) : path;
}

} // namespace

std::wstring CatalogSignatureText(const std::wstring& path)
{
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    if (result == ERROR_SUCCESS)
        return L"signed";
    if (result == TRUST_E_NOSIGNATURE)
        return L"not signed";
    return L"signature not accepted: " + SystemErrorText(static_cast<DWORD>(result));
}

PackageVerification PackageVerifier::Verify(const DriverPackage& package) const
{
    PackageVerification verification;
    const bool refused = package.status == PackageStatus::InfRefused;
    if (refused)
        verification.refusal = package.error;
    for (const std::wstring& file : package.missingFiles)
        verification.badFiles.push_back({file, L"missing"});
    if (!refused && !package.catalogPath.empty())
        MatchFiles(package, verification);
    const bool anyMismatch = verification.badFiles.size() > package.missingFiles.size();
    verification.verdict =
        JudgePackage(refused, !package.missingFiles.empty(), !package.catalogPath.empty(), anyMismatch);
    return verification;
}

void PackageVerifier::MatchFiles(const DriverPackage& package, PackageVerification& verification) const
{
    if (::GetFileAttributesW(package.catalogPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;  // missing, and listed so
    const CatalogMembers members = ReadCatalogMembers(package.catalogPath);
    if (!members.ok) {
        verification.badFiles.push_back({NameInPackage(package.catalogPath, package), members.reason});
        return;
    }
    verification.signature = CatalogSignatureText(package.catalogPath);
    std::vector<std::wstring> paths = {package.infPath};
    for (const PackageFile& file : package.files)
        paths.push_back(file.source);
    for (const std::wstring& path : paths) {
        std::vector<std::wstring> tags;
        DWORD error = NO_ERROR;
        const std::wstring name = NameInPackage(path, package);
        if (!hasher.Tags(path, tags, error))
            verification.badFiles.push_back({name, L"cannot be read: " + SystemErrorText(error)});
        else if (!AnyTagListed(tags, members))
            verification.badFiles.push_back({name, L"does not match the catalog"});
    }
}
