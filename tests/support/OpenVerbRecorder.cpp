#include "tests/support/OpenVerbRecorder.h"

#include "platform/Handles.h"
#include "tests/support/ChildProcess.h"

OpenVerbRecorder::OpenVerbRecorder() : recorder_(BuildProgramPath("TARNWICK_OPEN_RECORDER"))
{
    Clear();
}

void OpenVerbRecorder::Clear()
{
    installed_ = false;
    // Counted across the whole program: every recorder object and every Clear gets a record
    // of its own.
    static unsigned generation = 0;
    wchar_t temp[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, temp);
    recordFile_ = std::wstring(temp) + L"open-recorder-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++generation) + L".txt";
    ::DeleteFileW(recordFile_.c_str());
    installed_ = !recorder_.empty() && RegisterOpenRecorder(L"txtfile", recorder_, recordFile_);
}

bool RegisterOpenRecorder(const std::wstring& fileClass, const std::wstring& recorder, const std::wstring& record)
{
    const std::wstring command = L"\"" + recorder + L"\" \"" + record + L"\" \"%1\"";
    const std::wstring path = fileClass + L"\\shell\\open\\command";
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const UniqueRegKey owned(key);
    return ::RegSetValueExW(owned.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::vector<std::wstring> OpenVerbRecorder::Opened() const
{
    std::vector<std::wstring> opened;
    UniqueFileHandle file(::CreateFileW(recordFile_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!file)
        return opened;
    std::wstring text;
    wchar_t buffer[1024];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read / sizeof(wchar_t));
    size_t start = 0;
    for (size_t end = text.find(L'\n'); end != std::wstring::npos; end = text.find(L'\n', start)) {
        opened.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return opened;
}

std::vector<std::wstring> OpenVerbRecorder::WaitForOpened(size_t count, DWORD timeoutMs) const
{
    const DWORD start = ::GetTickCount();
    std::vector<std::wstring> opened = Opened();
    while (opened.size() < count && ::GetTickCount() - start < timeoutMs) {
        ::Sleep(50);
        opened = Opened();
    }
    return opened;
}
