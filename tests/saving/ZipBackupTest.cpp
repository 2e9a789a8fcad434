// A backup saved as one zip holds what the same backup saved as a folder holds: the same names
// (a device whose name is not ASCII, one marked incomplete, the restore kit, the log) and the
// same bytes, read back by the program's own reader. The zips are left for the independent
// readers that ctest runs next on the Linux side (check-zip-readers.py: unzip -t and Python's
// zipfile), with a copy of the folder written in ZIP64 form throughout.
#include <gtest/gtest.h>

#include "archive/ZipFormat.h"
#include "archive/ZipWriter.h"
#include "backup/ExtractedZip.h"
#include "discovery/SystemFolders.h"
#include "platform/FileCopy.h"
#include "saving/CDeviceSaver.h"
#include "saving/ReportWriter.h"
#include "saving/RestoreKit.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/CachedDevices.h"
#include "tests/support/ShellOpenRecorder.h"
#include "tests/support/TestFiles.h"

namespace {

// Where the zips are left for the Linux side's readers.
std::wstring ReaderFolder()
{
    wchar_t artifacts[MAX_PATH] = L"";
    if (!::GetEnvironmentVariableW(L"TARNWICK_ARTIFACTS", artifacts, MAX_PATH))
        return std::wstring();
    return std::wstring(artifacts) + L"\\zip-readers";
}

// The tree without the run's log, whose name is the run's time.
std::vector<std::wstring> WithoutLog(std::vector<std::wstring> tree)
{
    tree.erase(std::remove_if(tree.begin(), tree.end(),
                              [](const std::wstring& name) { return name.rfind(L"Tarnwick-", 0) == 0; }),
               tree.end());
    return tree;
}

// The files a backup's report lists, as "<folder>\<path> <size> <sha256>".
std::vector<std::wstring> ReportedFiles(const std::wstring& reportFile)
{
    std::vector<std::wstring> files;
    const std::optional<DeviceReport> report = ParseReportJson(ReadFileBytes(reportFile));
    EXPECT_TRUE(report.has_value()) << ::testing::PrintToString(reportFile);
    for (const ReportDevice& device : report ? report->devices : std::vector<ReportDevice>()) {
        for (const ReportFile& file : device.files)
            files.push_back(device.folder.value_or(L"") + L"\\" + file.path + L" " + std::to_wstring(file.size) +
                            L" " + std::wstring(file.sha256.begin(), file.sha256.end()));
    }
    return files;
}

class ZipBackupTest : public ::testing::Test {
protected:
    bool Save(const std::wstring& target, bool stop = false)
    {
        RecordingReporter reporter;
        reporter.stopAtFirst = stop;
        ShellOpenRecorder shell;
        CDeviceSaver saver(reporter, shell, ReadSystemFolders());
        saver.IncludeRestoreKit(RunningProgramPath());
        for (DeviceInfo* device : devices)
            saver.AddDevice(device);
        const bool saved = saver.SaveAll(FolderOf(target), nullptr);
        return saver.FinishLog() && saved;
    }

    void SetUp() override
    {
        const FILETIME time = TimeOfDay(2021, 3, 4, 5, 6);
        devices.push_back(&cached.Add(L"Ports", L"One", {cached.Payload(L"a.inf", "[Version]", time),
                                                         cached.Payload(L"x64\\a.sys", std::string(300000, 'a'), time)}));
        devices.push_back(&cached.Add(L"Netzwerkadapter", L"Ger\x00e4t \x0394 \x9a71\x52a8",
                                      {cached.Payload(L"n.inf", "[Version]\r\nClass=Net", time)}));
        devices.push_back(&cached.Add(L"Ports", L"Two", {cached.Payload(L"b.inf", "b", time), CachedDevices::Missing(L"gone.sys")}));
    }

    CachedDevices cached;
    std::vector<DeviceInfo*> devices;
};

TEST_F(ZipBackupTest, ZipHoldsTheNamesAndBytesOfTheFolderBackup)
{
    const std::wstring out = ReaderFolder();
    ASSERT_FALSE(out.empty()) << "TARNWICK_ARTIFACTS is not set";
    RemoveTree(out);
    const std::wstring folder = out + L"\\folder";
    const std::wstring zipFile = out + L"\\backup.zip";
    EXPECT_FALSE(Save(folder)) << "a file is missing";
    EXPECT_FALSE(Save(zipFile));
    EXPECT_EQ(::GetFileAttributesW((zipFile + L".partial").c_str()), INVALID_FILE_ATTRIBUTES);

    struct GoOn : IProgressReporter {
        bool Progress(double) override { return true; }
    } reporter;
    ZipProblem problem;
    const std::unique_ptr<ExtractedZip> extracted =
        ExtractedZip::Extract(zipFile, ReadSystemFolders().tempDir, reporter, problem);
    ASSERT_NE(extracted, nullptr) << ZipProblemText(problem);
    const std::vector<std::wstring> tree = WithoutLog(ListTree(folder));
    EXPECT_EQ(WithoutLog(ListTree(extracted->Folder().Full())), tree);
    EXPECT_NE(std::find(tree.begin(), tree.end(), L"Ports\\Two (incomplete)\\b.inf"), tree.end());
    // Both reports list the files as written, the zip's worked out as it was written.
    const std::vector<std::wstring> reported = ReportedFiles(folder + L"\\report.json");
    EXPECT_EQ(reported.size(), 4u);
    EXPECT_EQ(ReportedFiles(extracted->Folder().WithSeparator() + L"report.json"), reported);
    for (const std::wstring& name : tree) {
        // The report names its own target: its files are compared above.
        if (name.back() == L'\\' || name == L"report.json")
            continue;
        EXPECT_EQ(ReadFileBytes(extracted->Folder().WithSeparator() + name), ReadFileBytes(folder + L"\\" + name))
            << ::testing::PrintToString(name);
    }

    // The folder again, every record in ZIP64 form, as a zip past 4 GiB is written.
    const UniqueFileHandle file(::CreateFileW((out + L"\\zip64.zip").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    zip::ZipWriter writer(file.get());
    writer.ForceZip64();
    for (const std::wstring& name : tree) {
        if (name.back() == L'\\')
            continue;
        const UniqueFileHandle source = OpenCopySource(folder + L"\\" + name);
        ASSERT_TRUE(writer.Add(zip::EntryName(name), source.get(), TimeOfDay(2021, 3, 4)));
    }
    ASSERT_TRUE(writer.Finish());
}

TEST_F(ZipBackupTest, StoppedRunLeavesNoZipNorPartOfOne)
{
    TempFolder out;
    EXPECT_FALSE(Save(out / L"stopped.zip", true));
    EXPECT_EQ(WithoutLog(ListTree(out.path())), std::vector<std::wstring>{});
}

} // namespace
