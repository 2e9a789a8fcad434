#include "platform/CatalogHasher.h"

#include <cctype>
#include <cstdint>
#include <string>

#include "platform/FileHash.h"
#include "platform/ProcAddress.h"

namespace {

using AcquireContext2 = BOOL(WINAPI*)(HCATADMIN*, const GUID*, const WCHAR*, const CERT_STRONG_SIGN_PARA*, DWORD);

// The newest algorithm first: a catalog made for Windows 8 and later names its files by it.
const wchar_t* const kAlgorithms[] = {L"SHA256", L"SHA1"};

bool Rewind(HANDLE file)
{
    LARGE_INTEGER start = {};
    return ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != FALSE;
}


} // namespace

std::wstring HexTag(const BYTE* bytes, DWORD size)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring tag;
    tag.reserve(size * 2);
    for (DWORD i = 0; i < size; ++i) {
        tag += kDigits[bytes[i] >> 4];
        tag += kDigits[bytes[i] & 0x0F];
    }
    return tag;
}

CatalogHasher::CatalogHasher()
{
    // The import libraries of some tool sets lack the functions of Windows 8, so they are
    // looked up in the loaded module (the catalog functions already need it).
    const HMODULE wintrust = ::GetModuleHandleW(L"wintrust.dll");
    const auto acquire2 = GetProcAddressAs<AcquireContext2>(wintrust, "CryptCATAdminAcquireContext2");
    calcHash2 = GetProcAddressAs<CalcHash2>(wintrust, "CryptCATAdminCalcHashFromFileHandle2");
    if (!acquire2 || !calcHash2)
        return;
    for (const wchar_t* algorithm : kAlgorithms) {
        HCATADMIN admin = nullptr;
        if (acquire2(&admin, nullptr, algorithm, nullptr, 0))
            admins.emplace_back(admin);
    }
}

bool CatalogHasher::Tags(HANDLE file, std::vector<std::wstring>& tags, DWORD& error) const
{
    tags.clear();
    error = NO_ERROR;
    if (admins.empty()) {
        // Wine 8: CryptCATAdminAcquireContext2 is a stub and CryptCATAdminCalcHashFromFileHandle2
        // is missing, while its CryptCATAdminCalcHashFromFileHandle hashes the whole file, program
        // files too. The whole file's SHA-256 is the same rule for catalogs of SHA-256 tags.
        AppendTag(nullptr, file, tags, error);
        const std::wstring sha256 = Rewind(file) ? WholeFileSha256Tag(file, error) : std::wstring();
        if (!sha256.empty())
            tags.push_back(sha256);
        return !tags.empty();
    }
    for (const UniqueCatalogAdmin& admin : admins)
        AppendTag(admin.get(), file, tags, error);
    return !tags.empty();
}

std::wstring WholeFileSha256Tag(HANDLE file, DWORD& error)
{
    std::string hex;
    uint64_t size = 0;
    ::SetLastError(ERROR_SUCCESS);
    if (!Sha256OfHandle(file, hex, size)) {
        error = ::GetLastError() != ERROR_SUCCESS ? ::GetLastError() : static_cast<DWORD>(ERROR_NOT_SUPPORTED);
        return std::wstring();
    }
    std::wstring tag;
    for (const char digit : hex)
        tag += static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(digit)));
    return tag;
}

bool CatalogHasher::AppendTag(HCATADMIN admin, HANDLE file, std::vector<std::wstring>& tags, DWORD& error) const
{
    // The hash functions read the file from where its pointer stands.
    DWORD size = 0;
    const auto calc = [&](BYTE* hash) {
        return Rewind(file) && (admin ? calcHash2(admin, file, &size, hash, 0)
                                      : ::CryptCATAdminCalcHashFromFileHandle(file, &size, hash, 0));
    };
    calc(nullptr);
    std::vector<BYTE> hash(size);
    if (size == 0 || !calc(hash.data())) {
        error = ::GetLastError();
        return false;
    }
    tags.push_back(HexTag(hash.data(), size));
    return true;
}
