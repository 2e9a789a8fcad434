#include "tests/support/TestFiles.h"

#include <share.h>

#include <algorithm>

#include "platform/Handles.h"

TextStreamFile::TextStreamFile() : stream_(::_wfsopen((folder_ / L"stream.txt").c_str(), L"wt", _SH_DENYNO)) {}

TextStreamFile::~TextStreamFile()
{
    if (stream_)
        std::fclose(stream_);
}

std::string TextStreamFile::Close()
{
    if (stream_)
        std::fclose(stream_);
    stream_ = nullptr;
    return ReadFileBytes(folder_ / L"stream.txt");
}

namespace {

void CollectTree(const std::wstring& root, const std::wstring& relative, std::vector<std::wstring>& entries)
{
    WIN32_FIND_DATAW data = {};
    UniqueFindHandle find(::FindFirstFileW((root + L"\\" + relative + L"*").c_str(), &data));
    if (!find)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries.push_back(relative + name + L"\\");
            CollectTree(root, relative + name + L"\\", entries);
        } else {
            entries.push_back(relative + name);
        }
    } while (::FindNextFileW(find.get(), &data));
}

} // namespace

std::vector<std::wstring> ListTree(const std::wstring& root)
{
    std::vector<std::wstring> entries;
    CollectTree(root, L"", entries);
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool ReadFileTimes(const std::wstring& path, FILETIME& creation, FILETIME& lastWrite)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    creation = data.ftCreationTime;
    lastWrite = data.ftLastWriteTime;
    return true;
}

bool SameTime(const FILETIME& left, const FILETIME& right)
{
    return left.dwLowDateTime == right.dwLowDateTime && left.dwHighDateTime == right.dwHighDateTime;
}

std::string Latin1(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t c : text)
        bytes += static_cast<char>(static_cast<unsigned char>(c));
    return bytes;
}
