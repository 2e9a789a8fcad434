// The Windows side of the round-trip test (roundtrip.sh), run in one Wine prefix at a time:
//   roundtrip_helper prepare <media folder> <recorder exe> <record file>
//       writes the drivers' installation media into the folder (one subfolder per driver,
//       named after its INF) and makes the shell's "open" on text files record instead of
//       starting a viewer.
//   roundtrip_helper digest <output file> <label>=<path>...
//       writes one "<label> <size> <FNV-1a hash>" line per file, or "<label> missing".
//   roundtrip_helper driverkeys <output file> <hardware id>...
//       writes one "<hardware id> <InfPath> <InfSection> <catalog path>" line per device of
//       that ID (the catalog the system keeps for the INF, under the INF's name or else the
//       catalog's own), or "<hardware id> missing".
// Exit code 0 on success, 1 on failure, 2 on bad usage.
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "tests/e2e/RoundTripDrivers.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

int Fail(const std::wstring& message)
{
    std::fwprintf(stderr, L"roundtrip_helper: %ls\n", message.c_str());
    return 1;
}

int Prepare(const std::wstring& media, const std::wstring& recorder, const std::wstring& record)
{
    for (const fixture::Package& package : RoundTripPackages()) {
        const std::wstring folder = media + L"\\" + package.infName.substr(0, package.infName.find(L'.'));
        std::wstring error;
        if (!fixture::WritePackage(package, folder, error))
            return Fail(error);
    }
    return RegisterOpenRecorder(L"txtfile", recorder, record) ? 0 : Fail(L"cannot register the recorder");
}

// FNV-1a, 64 bits: enough to tell two test files apart, which is all this is for.
std::string Digest(const std::wstring& path)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return "missing";
    unsigned long long hash = 1469598103934665603ull;
    unsigned long long size = 0;
    unsigned char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i)
            hash = (hash ^ buffer[i]) * 1099511628211ull;
        size += read;
    }
    char text[64];
    std::snprintf(text, sizeof(text), "%llu %016llx", size, hash);
    return text;
}

int WriteDigests(const std::wstring& output, const std::vector<std::wstring>& labelledPaths)
{
    std::string lines;
    for (const std::wstring& labelled : labelledPaths) {
        const size_t equals = labelled.find(L'=');
        if (equals == std::wstring::npos)
            return Fail(L"not <label>=<path>: " + labelled);
        lines += std::string(labelled.begin(), labelled.begin() + static_cast<std::ptrdiff_t>(equals)) + " " +
                 Digest(labelled.substr(equals + 1)) + "\n";
    }
    return WriteFileBytes(output, lines) ? 0 : Fail(L"cannot write " + output);
}

std::vector<std::wstring> HardwareIds(HDEVINFO set, SP_DEVINFO_DATA& element)
{
    std::vector<std::wstring> ids;
    wchar_t buffer[4096] = L"";
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &element, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(buffer),
                                             sizeof(buffer) - 2 * sizeof(wchar_t), nullptr))
        return ids;
    for (const wchar_t* id = buffer; *id; id += std::wcslen(id) + 1)
        ids.push_back(id);
    return ids;
}

std::wstring CatalogOf(const std::wstring& infPath)
{
    const std::wstring catalogs = L"C:\\windows\\system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";
    const std::wstring own = catalogs + infPath.substr(0, infPath.rfind(L'.')) + L".cat";
    if (::GetFileAttributesW(own.c_str()) != INVALID_FILE_ATTRIBUTES)
        return own;
    UniqueInfHandle inf(::SetupOpenInfFileW((L"C:\\windows\\inf\\" + infPath).c_str(), nullptr, INF_STYLE_WIN4, nullptr));
    wchar_t name[MAX_PATH] = L"";
    if (!inf || !::SetupGetLineTextW(nullptr, inf.get(), L"Version", L"CatalogFile", name, MAX_PATH, nullptr))
        return L"none";
    return catalogs + name;
}

int WriteDriverKeys(const std::wstring& output, const std::vector<std::wstring>& hardwareIds)
{
    UniqueDeviceInfoSet set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    std::wstring lines;
    for (const std::wstring& wanted : hardwareIds) {
        bool found = false;
        SP_DEVINFO_DATA element = {};
        element.cbSize = sizeof(element);
        for (DWORD i = 0; set && ::SetupDiEnumDeviceInfo(set.get(), i, &element); ++i) {
            const std::vector<std::wstring> ids = HardwareIds(set.get(), element);
            if (ids.empty() || ids.front() != wanted)
                continue;
            wchar_t instanceId[MAX_DEVICE_ID_LEN] = L"";
            ::SetupDiGetDeviceInstanceIdW(set.get(), &element, instanceId, MAX_DEVICE_ID_LEN, nullptr);
            const std::wstring infPath = fixture::ReadDriverText(instanceId, L"InfPath");
            lines += wanted + L" " + infPath + L" " + fixture::ReadDriverText(instanceId, L"InfSection") + L" " +
                     CatalogOf(infPath) + L"\n";
            found = true;
        }
        if (!found)
            lines += wanted + L" missing\n";
    }
    return WriteFileBytes(output, std::string(lines.begin(), lines.end())) ? 0 : Fail(L"cannot write " + output);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const std::vector<std::wstring> args(argv + (argc > 1 ? 2 : argc), argv + argc);
    if (command == L"prepare" && args.size() == 3)
        return Prepare(args[0], args[1], args[2]);
    if (command == L"digest" && !args.empty())
        return WriteDigests(args[0], std::vector<std::wstring>(args.begin() + 1, args.end()));
    if (command == L"driverkeys" && args.size() >= 2)
        return WriteDriverKeys(args[0], std::vector<std::wstring>(args.begin() + 1, args.end()));
    std::fwprintf(stderr, L"usage: roundtrip_helper prepare <media folder> <recorder exe> <record file>\n"
                          L"       roundtrip_helper digest <output file> <label>=<path>...\n"
                          L"       roundtrip_helper driverkeys <output file> <hardware id>...\n");
    return 2;
}
