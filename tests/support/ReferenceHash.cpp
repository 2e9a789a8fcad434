#include <windows.h>
#include <wincrypt.h>

#include "tests/support/ReferenceHash.h"

#include "tests/support/TestFiles.h"

std::string ReferenceSha256(const std::string& bytes)
{
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return std::string();
    std::string hex;
    HCRYPTHASH hash = 0;
    if (::CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
        BYTE digest[32] = {};
        DWORD size = sizeof(digest);
        if (::CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0) &&
            ::CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
            static const char kDigits[] = "0123456789abcdef";
            for (DWORD i = 0; i < size; ++i) {
                hex += kDigits[digest[i] >> 4];
                hex += kDigits[digest[i] & 0x0f];
            }
        }
        ::CryptDestroyHash(hash);
    }
    ::CryptReleaseContext(provider, 0);
    return hex;
}

std::string ReferenceTreeSha256(const std::wstring& root)
{
    std::string listing;
    for (const std::wstring& entry : ListTree(root)) {
        const bool folder = entry.back() == L'\\';
        listing += Latin1(entry) + '\n' + (folder ? "" : ReferenceSha256(ReadFileBytes(root + L"\\" + entry)));
    }
    return ReferenceSha256(listing);
}
