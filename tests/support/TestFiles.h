// What tests of saved files read back: folder listings, file times, 8-bit log text, and a
// text-mode stream standing in for a console.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

// A text-mode C stream on a file of its own, as the console of a command-line run is: each
// line feed written becomes CR LF.
class TextStreamFile {
public:
    TextStreamFile();
    ~TextStreamFile();
    TextStreamFile(const TextStreamFile&) = delete;
    TextStreamFile& operator=(const TextStreamFile&) = delete;

    FILE* get() const { return stream_; }
    // Closes the stream and returns every byte written to it.
    std::string Close();

private:
    TempFolder folder_;
    FILE* stream_ = nullptr;
};

// Every file and folder under root, as relative paths, folders with a closing backslash,
// sorted by code unit.
std::vector<std::wstring> ListTree(const std::wstring& root);

// Creation and last-write time of a file; false when it cannot be read.
bool ReadFileTimes(const std::wstring& path, FILETIME& creation, FILETIME& lastWrite);
bool SameTime(const FILETIME& left, const FILETIME& right);

// The bytes of text whose characters are all below 256 (ISO 8859-1), as a log holds them.
std::string Latin1(const std::wstring& text);
