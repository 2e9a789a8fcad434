// The SHA-256 digest of a file, worked out by the system's cryptography (CNG).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Handles.h"

// A SHA-256 digest worked out piece by piece, as the bytes pass (a copy hashes what it writes).
class Sha256Hash {
public:
    Sha256Hash();
    Sha256Hash(const Sha256Hash&) = delete;
    Sha256Hash& operator=(const Sha256Hash&) = delete;

    // False once the system failed, or the digest was taken.
    bool valid() const noexcept { return hash.valid() && !failed; }
    bool Add(const void* data, size_t size);
    // The bytes added so far.
    uint64_t Size() const noexcept { return size_; }
    // The digest of every byte added, as 64 lowercase hexadecimal digits; empty when the system
    // failed. The hash takes nothing after it.
    std::string Finish();

private:
    // Declared first: the hash object goes before the provider it was made from.
    UniqueCngAlgorithm algorithm;
    UniqueCngHash hash;
    bool failed = false;
    uint64_t size_ = 0;
};

// The digest of the file's whole content as 64 lowercase hexadecimal digits, and its size in
// bytes. False when the file cannot be opened or read, or the system cannot hash.
bool Sha256OfFile(const std::wstring& path, std::string& hexDigest, uint64_t& size);
// The same for an open file, read from its current position to its end.
bool Sha256OfHandle(HANDLE file, std::string& hexDigest, uint64_t& size);
