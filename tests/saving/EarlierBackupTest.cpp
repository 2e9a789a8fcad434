// A device is unchanged since the backup its target holds (by its report.json) only when the
// same device has the same driver, each file read then has its size and time still, and each
// copy saved is still there with its size.
#include <gtest/gtest.h>

#include <functional>

#include "saving/EarlierBackup.h"
#include "saving/ReportWriter.h"
#include "tests/support/TestFiles.h"

namespace {

// A target holding one device's backup in "Ports\Com", its files where the backup read them.
struct Scene {
    Scene()
    {
        for (const wchar_t* name : {L"com.sys", L"com.inf"}) {
            WriteFileBytes(sources / name, "driver");
            WriteFileBytes(target / (std::wstring(L"Ports\\Com\\") + name), "driver");
            FILETIME creation = {}, lastWrite = {};
            ReadFileTimes(sources / name, creation, lastWrite);
            saved.files.push_back({name, 6, "", sources / name, lastWrite});
        }
        saved.instanceId = device.instanceId = L"ROOT\\PORTS\\0000";
        saved.inf = device.infPath = L"oem3.inf";
        saved.infSection = device.infSection = L"ComInstall";
        saved.provider = device.providerName = L"Contoso";
        saved.driverVersion = device.driverVersion = L"1.2.0.0";
        saved.status = L"saved";
        saved.folder = L"Ports\\Com";
    }
    TempFolder sources, target;
    ReportDevice saved;
    DeviceInfo device;
};

} // namespace

TEST(EarlierBackup, OnlyTheSameDriverWithItsFilesAsSavedIsUnchanged)
{
    const struct {
        const char* what;
        std::function<void(Scene&)> change;
        bool unchanged;
    } rows[] = {
        {"as saved", [](Scene&) {}, true},
        {"copies of the same size, other bytes (not read)", [](Scene& s) { WriteFileBytes(s.target / L"Ports\\Com\\com.sys", "DRIVER"); }, true},
        {"a folder kept from a run before", [](Scene& s) { s.saved.status = L"kept"; }, true},
        {"another device", [](Scene& s) { s.device.instanceId = L"ROOT\\PORTS\\0001"; }, false},
        {"no instance ID", [](Scene& s) { s.device.instanceId = s.saved.instanceId = L""; }, false},
        {"another INF", [](Scene& s) { s.device.infPath = L"oem4.inf"; }, false},
        {"another section", [](Scene& s) { s.device.infSection = L"ComInstall.NT"; }, false},
        {"another provider", [](Scene& s) { s.device.providerName = L"Fabrikam"; }, false},
        {"another version", [](Scene& s) { s.device.driverVersion = L"1.2.0.1"; }, false},
        {"a source of another size", [](Scene& s) { WriteFileBytes(s.sources / L"com.sys", "driver2"); }, false},
        {"a source of another time", [](Scene& s) { s.saved.files[1].sourceTime->dwLowDateTime ^= 1; }, false},
        {"a source gone", [](Scene& s) { ::DeleteFileW((s.sources / L"com.sys").c_str()); }, false},
        {"a copy gone", [](Scene& s) { ::DeleteFileW((s.target / L"Ports\\Com\\com.inf").c_str()); }, false},
        {"a copy of another size", [](Scene& s) { WriteFileBytes(s.target / L"Ports\\Com\\com.sys", "drive"); }, false},
        {"a device that failed", [](Scene& s) { s.saved.status = L"failed"; }, false},
        {"no files listed", [](Scene& s) { s.saved.files.clear(); }, false},
        // The sources themselves lie beside the target, with the sizes listed.
        {"a folder outside the target",
         [](Scene& s) { s.saved.folder = L"..\\" + s.sources.path().substr(s.sources.path().rfind(L'\\') + 1); }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Scene scene;
        row.change(scene);
        DeviceReport report = NewDeviceReport();
        report.devices.push_back(scene.saved);
        WriteFileBytes(scene.target / kBackupReportName, ReportJson(report));
        std::optional<EarlierBackup> backup = EarlierBackup::Read(FolderOf(scene.target.path()));
        ASSERT_TRUE(backup);
        EXPECT_EQ(backup->HasUnchanged(scene.device), row.unchanged);
        const std::optional<UnchangedDevice> kept = backup->TakeUnchanged(scene.device);
        ASSERT_EQ(kept.has_value(), row.unchanged);
        // A folder not taken is carried over, unless its device failed or it is outside.
        const bool keeps = !row.unchanged && scene.saved.status == L"saved" && scene.saved.folder == L"Ports\\Com";
        EXPECT_EQ(backup->Kept().size(), keeps ? 1u : 0u);
        if (!kept)
            continue;
        EXPECT_EQ(kept->folder + L" " + kept->since, L"Ports\\Com " + report.createdUtc);
        EXPECT_FALSE(backup->TakeUnchanged(scene.device)) << "a folder goes to one device";
    }
}
