#include "platform/CatalogMembers.h"

#include <windows.h>
#include <wincrypt.h>
#include <mscat.h>
#include <wintrust.h>

#include <cstring>
#include <vector>

#include "platform/CryptHandles.h"
#include "platform/Trace.h"

const char kCatalogListOid[] = "1.3.6.1.4.1.311.12.1.1";

namespace {

// Far above any driver catalog (a catalog of 250 members is 86 KB); a larger file is taken
// for something else rather than read whole.
const LONGLONG kLargestCatalog = 64LL * 1024 * 1024;

const DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& bytes, std::wstring& reason)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size)) {
        reason = L"the catalog cannot be read: " + SystemErrorText(::GetLastError());
        return false;
    }
    if (size.QuadPart == 0 || size.QuadPart > kLargestCatalog) {
        reason = size.QuadPart == 0 ? L"the catalog is empty" : L"the file is too large to be a catalog";
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size()) {
        reason = L"the catalog cannot be read: " + SystemErrorText(::GetLastError());
        return false;
    }
    return true;
}

// An attribute's one value decodes as the given structure.
bool Decodes(const CTL_ENTRY& entry, const char* oid)
{
    for (DWORD i = 0; i < entry.cAttribute; ++i) {
        const CRYPT_ATTRIBUTE& attribute = entry.rgAttribute[i];
        DWORD size = 0;
        if (attribute.pszObjId && std::strcmp(attribute.pszObjId, oid) == 0 && attribute.cValue == 1)
            return ::CryptDecodeObject(kEncoding, oid, attribute.rgValue[0].pbData, attribute.rgValue[0].cbData, 0,
                                       nullptr, &size) != FALSE;
    }
    return false;
}

// Wine 8: CryptCATOpen accepts any bytes and CryptCATEnumerateMember then crashes on a file
// that is no catalog, and on an entry whose indirect data does not decode; it also stops
// listing at the first entry without a member info. So the bytes are first parsed as a
// certificate trust list, which must be one for catalogs, and every entry must carry both
// attributes in a form that decodes.
bool IsCatalog(const std::vector<BYTE>& bytes, std::wstring& reason)
{
    UniqueCtlContext ctl(::CertCreateCTLContext(kEncoding, bytes.data(), static_cast<DWORD>(bytes.size())));
    if (!ctl) {
        reason = L"the file is not a catalog: " + SystemErrorText(::GetLastError());
        return false;
    }
    const CTL_INFO& info = *ctl.get()->pCtlInfo;
    bool catalogList = false;
    for (DWORD i = 0; i < info.SubjectUsage.cUsageIdentifier; ++i) {
        const char* usage = info.SubjectUsage.rgpszUsageIdentifier[i];
        catalogList = catalogList || (usage && std::strcmp(usage, kCatalogListOid) == 0);
    }
    if (!catalogList) {
        reason = L"the file is a trust list but not a catalog";
        return false;
    }
    for (DWORD i = 0; i < info.cCTLEntry; ++i) {
        if (!Decodes(info.rgCTLEntry[i], CAT_MEMBERINFO_OBJID) || !Decodes(info.rgCTLEntry[i], SPC_INDIRECT_DATA_OBJID)) {
            reason = L"entry " + std::to_wstring(i + 1) + L" of the catalog is damaged";
            return false;
        }
    }
    return true;
}

// Every member's tag. Wine 8: CryptCATGetMemberInfo is a stub that finds no tag, so the
// members are walked with CryptCATEnumerateMember, which works on Windows as well.
bool ReadTags(const std::wstring& path, std::set<std::wstring>& tags, std::wstring& reason)
{
    std::vector<wchar_t> name(path.begin(), path.end());
    name.push_back(L'\0');
    UniqueCatalog catalog(::CryptCATOpen(name.data(), CRYPTCAT_OPEN_EXISTING, 0, 0, 0));
    if (!catalog) {
        reason = L"the catalog cannot be opened: " + SystemErrorText(::GetLastError());
        return false;
    }
    for (CRYPTCATMEMBER* member = ::CryptCATEnumerateMember(catalog.get(), nullptr); member;
         member = ::CryptCATEnumerateMember(catalog.get(), member)) {
        if (member->pwszReferenceTag)
            tags.insert(member->pwszReferenceTag);
    }
    return true;
}

} // namespace

CatalogMembers ReadCatalogMembers(const std::wstring& path)
{
    CatalogMembers members;
    std::vector<BYTE> bytes;
    if (ReadWholeFile(path, bytes, members.reason) && IsCatalog(bytes, members.reason) &&
        ReadTags(path, members.tags, members.reason))
        members.ok = true;
    return members;
}
