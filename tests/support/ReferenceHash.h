// SHA-256 worked out by the older CryptoAPI provider, a second implementation that the tests
// hold the program's digests (made with CNG) against.
#pragma once

#include <string>

// Lowercase hexadecimal digest of the bytes; empty when the provider fails.
std::string ReferenceSha256(const std::string& bytes);
