#include "tests/support/TestShare.h"

#include <windows.h>

#include <vector>

#include "tests/support/TempFolder.h"
#include "tests/support/Wine.h"

namespace {

// The Unix path of the prefix (WINEPREFIX, which Wine hands on to its programs) as Wine's Z:
// drive shows it; empty when it is not known.
std::wstring PrefixFolder()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length = ::GetEnvironmentVariableW(L"WINEPREFIX", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return std::wstring();
    std::wstring folder = L"Z:" + std::wstring(buffer.data(), length);
    for (wchar_t& c : folder) {
        if (c == L'/')
            c = L'\\';
    }
    return folder;
}

} // namespace

TestShare::TestShare(const std::wstring& name) : path_(L"\\\\srv\\" + name)
{
    const std::wstring prefix = RunningUnderWine() ? PrefixFolder() : std::wstring();
    if (prefix.empty())
        return;
    folder_ = prefix + L"\\dosdevices\\unc\\srv\\" + name;
    up_ = MakeFolders(folder_);
}

TestShare::~TestShare()
{
    TakeDown();
}

void TestShare::TakeDown()
{
    if (!folder_.empty())
        RemoveTree(folder_);
    up_ = false;
}
