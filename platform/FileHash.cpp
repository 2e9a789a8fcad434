#include <windows.h>
#include <bcrypt.h>

#include "platform/FileHash.h"

#include <vector>

#include "platform/Handles.h"

namespace {

const DWORD kReadSize = 1 << 20;
const ULONG kDigestSize = 32;

} // namespace

Sha256Hash::Sha256Hash()
{
    BCRYPT_ALG_HANDLE provider = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&provider, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return;
    algorithm.reset(provider);
    BCRYPT_HASH_HANDLE created = nullptr;
    if (BCRYPT_SUCCESS(::BCryptCreateHash(algorithm.get(), &created, nullptr, 0, nullptr, 0, 0)))
        hash.reset(created);
}

bool Sha256Hash::Add(const void* data, size_t size)
{
    // The call takes a non-const pointer but only reads through it, and at most a ULONG at once.
    const auto* bytes = static_cast<const UCHAR*>(data);
    size_ += size;
    while (!failed && hash && size > 0) {
        const ULONG part = static_cast<ULONG>(size < kReadSize ? size : kReadSize);
        failed = !BCRYPT_SUCCESS(::BCryptHashData(hash.get(), const_cast<PUCHAR>(bytes), part, 0));
        bytes += part;
        size -= part;
    }
    return valid();
}

std::string Sha256Hash::Finish()
{
    UCHAR digest[kDigestSize] = {};
    if (!valid() || !BCRYPT_SUCCESS(::BCryptFinishHash(hash.get(), digest, kDigestSize, 0))) {
        failed = true;
        return std::string();
    }
    // A finished hash takes no more data.
    failed = true;
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (UCHAR byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0f];
    }
    return hex;
}

bool Sha256OfHandle(HANDLE file, std::string& hexDigest, uint64_t& size)
{
    Sha256Hash hash;
    if (!hash.valid())
        return false;
    std::vector<char> buffer(kReadSize);
    uint64_t total = 0;
    DWORD read = 0;
    do {
        if (!::ReadFile(file, buffer.data(), kReadSize, &read, nullptr) || !hash.Add(buffer.data(), read))
            return false;
        total += read;
    } while (read > 0);
    hexDigest = hash.Finish();
    size = total;
    return !hexDigest.empty();
}

bool Sha256OfFile(const std::wstring& path, std::string& hexDigest, uint64_t& size)
{
    const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return file && Sha256OfHandle(file.get(), hexDigest, size);
}
