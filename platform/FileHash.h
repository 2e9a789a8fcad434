// The SHA-256 digest of a file, worked out by the system's cryptography (CNG).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The digest of the file's whole content as 64 lowercase hexadecimal digits, and its size in
// bytes. False when the file cannot be opened or read, or the system cannot hash.
bool Sha256OfFile(const std::wstring& path, std::string& hexDigest, uint64_t& size);
// The same for an open file, read from its current position to its end.
bool Sha256OfHandle(HANDLE file, std::string& hexDigest, uint64_t& size);
