#include "backup/PackageVerifier.h"

#include <softpub.h>
#include <wintrust.h>

#include <set>

#include "platform/CatalogMembers.h"
#include "platform/FileNameCompare.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"
#include "backup/PackageSources.h"

namespace {

// A file of the package as it was read: its name under the package's folder and its tags.
struct HashedFile {
    std::wstring name;
    std::vector<std::wstring> tags;
};

// "does not match the catalog", naming the catalog when the package has several, and the
// file whose contents it holds instead.
std::wstring MismatchText(const CatalogMatch& match, const std::wstring& catalog)
{
    std::wstring text = L"does not match the catalog";
    if (!catalog.empty())
        text += L" " + catalog;
    return match.holds.empty() ? text : text + L": it holds " + match.holds;
}

} // namespace

std::wstring CatalogSignatureText(const std::wstring& path, HANDLE file)
{
    // The trust provider reads the file from where its pointer stands.
    const LARGE_INTEGER start = {};
    ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof(fileInfo);
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
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

void PackageVerifier::Verify(DriverPackage& package) const
{
    PackageVerification& verification = package.verification;
    verification = PackageVerification();
    for (const std::wstring& file : package.missingFiles)
        verification.badFiles.push_back({file, PackageRefusalText(PathRefusal::NotFound), FileFault::Missing});
    if (package.outcome == PackageOutcome::InfRefused || package.catalogs.empty() || !package.folder)
        return;
    MatchFiles(package, verification);
    // Missing files are said first; a package with all its files is damaged by any other.
    if (IsSound(package.outcome) && verification.badFiles.size() > package.missingFiles.size())
        package.outcome = PackageOutcome::FilesDamaged;
}

void PackageVerifier::MatchFiles(const DriverPackage& package, PackageVerification& verification) const
{
    const FolderPath& folder = *package.folder;
    const auto nameOf = [&folder](const std::wstring& path) { return folder.RelativeName(path).value_or(path); };
    // Each file is hashed once, as opened inside the package: a link that leads out is never read.
    std::vector<HashedFile> hashed;
    std::set<std::wstring, FileNameLess> seen;
    std::vector<std::wstring> paths = {package.infPath};
    for (const PackageFile& file : package.files)
        paths.push_back(file.source);
    for (const std::wstring& path : paths) {
        HashedFile file{nameOf(path), {}};
        if (!seen.insert(file.name).second)
            continue;
        const PathResult<UniqueFileHandle> opened = folder.OpenInside(path);
        DWORD error = NO_ERROR;
        if (!opened)
            verification.badFiles.push_back({file.name, PackageRefusalText(opened.refusal()), FileFault::Unusable});
        else if (!hasher.Tags(opened->get(), file.tags, error))
            verification.badFiles.push_back({file.name, L"cannot be read: " + SystemErrorText(error), FileFault::Unusable});
        else
            hashed.push_back(std::move(file));
    }
    for (const std::wstring& catalog : package.catalogs) {
        const std::wstring catalogName = nameOf(catalog);
        const PathResult<UniqueFileHandle> opened = folder.OpenInside(catalog);
        if (opened.refusal() == PathRefusal::NotFound)
            continue;  // missing, and listed so
        if (!opened) {
            verification.badFiles.push_back({catalogName, PackageRefusalText(opened.refusal()), FileFault::Unusable});
            continue;
        }
        const CatalogMembers members = ReadCatalogMembers(opened->get());
        if (!members.ok) {
            verification.badFiles.push_back({catalogName, members.reason, FileFault::Unusable});
            continue;
        }
        if (verification.signature.empty())
            verification.signature = CatalogSignatureText(catalog, opened->get());
        // With several catalogs, each must vouch for every file: an installer may read any of them.
        const std::wstring which = package.catalogs.size() > 1 ? catalogName : std::wstring();
        for (const HashedFile& file : hashed) {
            const CatalogMatch match = MatchCatalog(FileNamePart(file.name), file.tags, members);
            if (!match.matches)
                verification.badFiles.push_back({file.name, MismatchText(match, which), FileFault::Damaged});
        }
    }
}
