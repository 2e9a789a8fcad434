// SHA-256 worked out by the older CryptoAPI provider, a second implementation that the tests
// hold the program's digests (made with CNG) against.
#pragma once

#include <string>

// Lowercase hexadecimal digest of the bytes; empty when the provider fails.
std::string ReferenceSha256(const std::string& bytes);
// The digest of a folder tree: every entry's relative name and every file's bytes, so that an
// entry added, removed, renamed or changed anywhere under root changes it.
std::string ReferenceTreeSha256(const std::wstring& root);
