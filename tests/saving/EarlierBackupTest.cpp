// A device is unchanged since the backup its target holds (by that backup's report.json) only
// when the same device has the same driver, every file read then has its size and time still,
// and every copy saved is still there with its size; the folders no device takes are kept.
#include <gtest/gtest.h>

#include <functional>

#include "saving/EarlierBackup.h"
#include "saving/ReportTime.h"
#include "saving/ReportWriter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"

namespace {

const wchar_t kSavedUtc[] = L"2026-12-01T10:00:00Z";

// A target holding one device's backup (its report.json beside the folder "Ports\Com"), the
// device's files where the backup read them, and the record of the device as a scan gives it.
struct Scene {
    Scene()
    {
        for (const auto& file : {std::make_pair(L"com.sys", "driver"), std::make_pair(L"com.inf", "[Version]")}) {
            const std::wstring source = sources / file.first;
            WriteFileBytes(source, file.second);
            WriteFileBytes(target / (std::wstring(L"Ports\\Com\\") + file.first), file.second);
            FILETIME creation = {}, lastWrite = {};
            ReadFileTimes(source, creation, lastWrite);
            saved.files.push_back({file.first, std::string(file.second).size(), "", source, lastWrite});
        }
        saved.instanceId = device.instanceId = L"ROOT\\PORTS\\0000";
        saved.inf = device.infPath = L"oem3.inf";
        saved.infSection = device.infSection = L"ComInstall";
        saved.provider = device.providerName = L"Contoso";
        saved.driverVersion = device.driverVersion = L"1.2.0.0";
        saved.status = L"saved";
        saved.folder = L"Ports\\Com";
    }

    // Writes the report with the device as changed, and reads the backup back.
    std::optional<EarlierBackup> Backup() const
    {
        DeviceReport report = NewDeviceReport();
        report.createdUtc = kSavedUtc;
        report.devices.push_back(saved);
        WriteFileBytes(target / kBackupReportName, ReportJson(report));
        return EarlierBackup::Read(FolderOf(target.path()));
    }

    TempFolder sources;
    TempFolder target;
    ReportDevice saved;
    DeviceInfo device;
};

void SetLastWrite(const std::wstring& path, ULONGLONG later)
{
    HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME creation = {}, lastWrite = {};
    ::GetFileTime(file, &creation, nullptr, &lastWrite);
    ULARGE_INTEGER ticks = {{lastWrite.dwLowDateTime, lastWrite.dwHighDateTime}};
    ticks.QuadPart += later;
    lastWrite = {ticks.LowPart, ticks.HighPart};
    ::SetFileTime(file, nullptr, nullptr, &lastWrite);
    ::CloseHandle(file);
}

} // namespace

TEST(EarlierBackup, OnlyTheSameDriverWithItsFilesAsSavedIsUnchanged)
{
    const struct {
        const char* what;
        std::function<void(Scene&)> change;
        bool unchanged;
    } rows[] = {
        {"as saved", [](Scene&) {}, true},
        {"copies of the same size with other bytes (contents are not read)",
         [](Scene& s) { WriteFileBytes(s.target / L"Ports\\Com\\com.sys", "DRIVER"); }, true},
        {"a folder kept from a run before", [](Scene& s) { s.saved.status = L"kept"; }, true},
        {"another device", [](Scene& s) { s.device.instanceId = L"ROOT\\PORTS\\0001"; }, false},
        {"a record without instance ID", [](Scene& s) { s.device.instanceId = s.saved.instanceId = L""; }, false},
        {"another INF", [](Scene& s) { s.device.infPath = L"oem4.inf"; }, false},
        {"another section", [](Scene& s) { s.device.infSection = L"ComInstall.NT"; }, false},
        {"another provider", [](Scene& s) { s.device.providerName = L"Fabrikam"; }, false},
        {"another version", [](Scene& s) { s.device.driverVersion = L"1.2.0.1"; }, false},
        {"a source of another size", [](Scene& s) { WriteFileBytes(s.sources / L"com.sys", "driver2"); }, false},
        {"a source written since, same size", [](Scene& s) { SetLastWrite(s.sources / L"com.inf", 1); }, false},
        {"a source gone", [](Scene& s) { ::DeleteFileW((s.sources / L"com.sys").c_str()); }, false},
        {"a copy gone", [](Scene& s) { ::DeleteFileW((s.target / L"Ports\\Com\\com.inf").c_str()); }, false},
        {"a copy of another size", [](Scene& s) { WriteFileBytes(s.target / L"Ports\\Com\\com.sys", "drive"); }, false},
        {"a device that failed", [](Scene& s) { s.saved.status = L"failed"; }, false},
        {"a device saved with an error", [](Scene& s) { s.saved.error = L"Failed to save file com.sys"; }, false},
        {"no files listed", [](Scene& s) { s.saved.files.clear(); }, false},
        {"a file without its time", [](Scene& s) { s.saved.files[0].sourceTime.reset(); }, false},
        // The sources themselves sit beside the target, with the sizes listed.
        {"a folder outside the target",
         [](Scene& s) { s.saved.folder = L"..\\" + s.sources.path().substr(s.sources.path().rfind(L'\\') + 1); }, false},
        {"a file name outside the folder",
         [](Scene& s) {
             s.saved.files[0].path = L"..\\..\\com.sys";
             WriteFileBytes(s.target / L"com.sys", "driver");
         },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Scene scene;
        row.change(scene);
        std::optional<EarlierBackup> backup = scene.Backup();
        ASSERT_TRUE(backup);
        EXPECT_EQ(backup->HasUnchanged(scene.device), row.unchanged);
        const std::optional<UnchangedDevice> kept = backup->TakeUnchanged(scene.device);
        ASSERT_EQ(kept.has_value(), row.unchanged);
        if (!kept)
            continue;
        EXPECT_EQ(kept->folder, L"Ports\\Com");
        EXPECT_EQ(kept->since, kSavedUtc);
        ASSERT_EQ(kept->files.size(), 2u);
        EXPECT_EQ(kept->files[1].source, scene.sources / L"com.inf");
        EXPECT_FALSE(backup->TakeUnchanged(scene.device)) << "a folder goes to one device";
        EXPECT_TRUE(backup->Kept().empty()) << "a folder taken is not kept besides";
    }
}

TEST(EarlierBackup, FoldersNoDeviceTookAreKeptWhileTheyAreThere)
{
    Scene scene;
    scene.saved.unchangedSince = L"2026-11-02T03:04:05Z";
    ReportDevice gone = scene.saved;
    gone.folder = L"Ports\\Gone";
    ReportDevice failed = scene.saved;
    failed.status = L"failed";
    DeviceReport report = NewDeviceReport();
    report.devices = {scene.saved, gone, failed};
    WriteFileBytes(scene.target / kBackupReportName, ReportJson(report));
    std::optional<EarlierBackup> backup = EarlierBackup::Read(FolderOf(scene.target.path()));
    ASSERT_TRUE(backup);

    const std::vector<ReportDevice> kept = backup->Kept();
    ASSERT_EQ(kept.size(), 1u) << "a folder no longer there, or of a failed device, is not kept";
    EXPECT_EQ(kept[0].status, L"kept");
    EXPECT_EQ(kept[0].folder, L"Ports\\Com");
    EXPECT_EQ(kept[0].unchangedSince, L"2026-11-02T03:04:05Z") << "the time its files were copied";

    WriteFileBytes(scene.target / kBackupReportName, "{\"tool\": \"Other\"}");
    EXPECT_FALSE(EarlierBackup::Read(FolderOf(scene.target.path()))) << "no report of this program";
}
