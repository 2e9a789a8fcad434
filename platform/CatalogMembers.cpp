#include "platform/CatalogMembers.h"

#include <windows.h>
#include <wincrypt.h>
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

bool ReadWholeFile(HANDLE file, std::vector<BYTE>& bytes, std::wstring& reason)
{
    LARGE_INTEGER size = {};
    const LARGE_INTEGER start = {};
    if (!::GetFileSizeEx(file, &size) || !::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        reason = L"the catalog cannot be read: " + SystemErrorText(::GetLastError());
        return false;
    }
    if (size.QuadPart == 0 || size.QuadPart > kLargestCatalog) {
        reason = size.QuadPart == 0 ? L"the catalog is empty" : L"the file is too large to be a catalog";
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()) {
        reason = L"the catalog cannot be read: " + SystemErrorText(::GetLastError());
        return false;
    }
    return true;
}

// The one value of the entry's attribute of that type; null when it has none.
const CRYPT_ATTR_BLOB* AttributeValue(const CTL_ENTRY& entry, const char* oid)
{
    for (DWORD i = 0; i < entry.cAttribute; ++i) {
        const CRYPT_ATTRIBUTE& attribute = entry.rgAttribute[i];
        if (attribute.pszObjId && std::strcmp(attribute.pszObjId, oid) == 0 && attribute.cValue == 1)
            return &attribute.rgValue[0];
    }
    return nullptr;
}

// An attribute's one value decodes as the given structure.
bool Decodes(const CTL_ENTRY& entry, const char* oid)
{
    const CRYPT_ATTR_BLOB* value = AttributeValue(entry, oid);
    DWORD size = 0;
    return value && ::CryptDecodeObject(kEncoding, oid, value->pbData, value->cbData, 0, nullptr, &size) != FALSE;
}

// The file name that the entry records in its "File" name-value attribute, as signing tools
// write it; empty when it records none.
std::wstring RecordedName(const CTL_ENTRY& entry)
{
    for (DWORD i = 0; i < entry.cAttribute; ++i) {
        const CRYPT_ATTRIBUTE& attribute = entry.rgAttribute[i];
        if (!attribute.pszObjId || std::strcmp(attribute.pszObjId, CAT_NAMEVALUE_OBJID) != 0 || attribute.cValue != 1)
            continue;
        DWORD size = 0;
        const CRYPT_ATTR_BLOB& value = attribute.rgValue[0];
        if (!::CryptDecodeObject(kEncoding, CAT_NAMEVALUE_OBJID, value.pbData, value.cbData, 0, nullptr, &size))
            continue;
        std::vector<BYTE> buffer(size);
        if (!::CryptDecodeObject(kEncoding, CAT_NAMEVALUE_OBJID, value.pbData, value.cbData, 0, buffer.data(), &size))
            continue;
        const auto* nameValue = reinterpret_cast<const CAT_NAMEVALUE*>(buffer.data());
        if (!nameValue->pwszTag || ::CompareStringOrdinal(nameValue->pwszTag, -1, L"File", -1, TRUE) != CSTR_EQUAL)
            continue;
        // The name is UTF-16, with or without its terminating zero.
        const auto* name = reinterpret_cast<const wchar_t*>(nameValue->Value.pbData);
        size_t length = nameValue->Value.cbData / sizeof(wchar_t);
        while (length > 0 && name[length - 1] == L'\0')
            --length;
        return std::wstring(name, length);
    }
    return std::wstring();
}

// The entry's tag: its identifier, UTF-16 hex with a terminating zero.
std::wstring TagOf(const CTL_ENTRY& entry)
{
    const auto* text = reinterpret_cast<const wchar_t*>(entry.SubjectIdentifier.pbData);
    size_t length = entry.SubjectIdentifier.cbData / sizeof(wchar_t);
    while (length > 0 && text[length - 1] == L'\0')
        --length;
    return std::wstring(text, length);
}

// Wine 8: CryptCATOpen accepts any bytes and CryptCATEnumerateMember then crashes on a file
// that is no catalog, and on an entry whose indirect data does not decode; it also stops
// listing at the first entry without a member info. So the bytes are parsed as a certificate
// trust list, which must be one for catalogs, every entry must carry both attributes in a form
// that decodes, and the members are read from its entries as the catalog services read them.
bool ReadCatalog(const std::vector<BYTE>& bytes, CatalogMembers& members)
{
    UniqueCtlContext ctl(::CertCreateCTLContext(kEncoding, bytes.data(), static_cast<DWORD>(bytes.size())));
    if (!ctl) {
        members.reason = L"the file is not a catalog: " + SystemErrorText(::GetLastError());
        return false;
    }
    const CTL_INFO& info = *ctl.get()->pCtlInfo;
    bool catalogList = false;
    for (DWORD i = 0; i < info.SubjectUsage.cUsageIdentifier; ++i) {
        const char* usage = info.SubjectUsage.rgpszUsageIdentifier[i];
        catalogList = catalogList || (usage && std::strcmp(usage, kCatalogListOid) == 0);
    }
    if (!catalogList) {
        members.reason = L"the file is a trust list but not a catalog";
        return false;
    }
    for (DWORD i = 0; i < info.cCTLEntry; ++i) {
        const CTL_ENTRY& entry = info.rgCTLEntry[i];
        if (!Decodes(entry, CAT_MEMBERINFO_OBJID) || !Decodes(entry, SPC_INDIRECT_DATA_OBJID)) {
            members.reason = L"entry " + std::to_wstring(i + 1) + L" of the catalog is damaged";
            return false;
        }
        const std::wstring tag = TagOf(entry);
        members.tags.insert(tag);
        const std::wstring name = RecordedName(entry);
        if (!name.empty())
            members.tagsByName.emplace(name, tag);
    }
    return true;
}

} // namespace

CatalogMembers ReadCatalogMembers(HANDLE file)
{
    CatalogMembers members;
    std::vector<BYTE> bytes;
    members.ok = ReadWholeFile(file, bytes, members.reason) && ReadCatalog(bytes, members);
    return members;
}

namespace {

bool Holds(const std::vector<std::wstring>& tags, const std::wstring& tag)
{
    for (const std::wstring& held : tags) {
        if (held == tag)
            return true;
    }
    return false;
}

} // namespace

CatalogMatch MatchCatalog(const std::wstring& fileName, const std::vector<std::wstring>& tags,
                          const CatalogMembers& members)
{
    const auto named = members.tagsByName.equal_range(fileName);
    CatalogMatch match;
    if (named.first == named.second) {
        for (const std::wstring& tag : tags)
            match.matches = match.matches || members.tags.count(tag) != 0;
        return match;
    }
    for (auto member = named.first; member != named.second; ++member)
        match.matches = match.matches || Holds(tags, member->second);
    for (auto member = members.tagsByName.begin(); !match.matches && member != members.tagsByName.end(); ++member) {
        if (Holds(tags, member->second))
            match.holds = member->first;
    }
    return match;
}
