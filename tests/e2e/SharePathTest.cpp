// tarnwick.exe on a network share: a backup whose device folders lie 300 characters deep is
// saved with its subfolder layout, verifies intact and restores; a share that is down ends the
// run with exit code 1 and the system's reason, nothing written but the log in %TEMP%.
#include <gtest/gtest.h>

#include <memory>

#include "discovery/SystemFolders.h"
#include "tests/e2e/RoundTripDrivers.h"
#include "tests/e2e/TarnwickRun.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/OpenVerbRecorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestShare.h"

namespace {

class SharePathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(recorder.installed()) << "TARNWICK_OPEN_RECORDER is not set";
        driver = StoreDrivers().at(1);  // its files in x64\ and x64\res\ of its media
        fixture::Package package = fixture::MakePackage(driver, {{driver.models.at(0).hardwareId}});
        package.style = fixture::InstallStyle::DriverStore;
        installed = std::make_unique<fixture::ScopedPackage>(package);
        ASSERT_TRUE(installed->ok()) << ::testing::PrintToString(installed->error());
    }

    void TearDown() override { RemoveLogsInTemp(); }

    OpenVerbRecorder recorder;
    fixture::SimpleDriver driver;
    std::unique_ptr<fixture::ScopedPackage> installed;
};

} // namespace

TEST_F(SharePathTest, BackupThreeHundredCharactersDeepOnAShareSavesVerifiesAndRestores)
{
    if (WineShares().empty())
        GTEST_SKIP() << "no share can be made here (Wine's dosdevices\\unc)";
    const TempFolder shared(WineShares());
    const ExpectedDevice device = StoreDevice(driver, installed->result());
    const std::wstring below = L"\\" + device.classDescription + L"\\" + device.name;
    std::wstring target = ShareOf(shared.path()) + L"\\Fleet";
    while (target.size() + below.size() < 300)
        target += L"\\" + std::wstring(std::min<size_t>(60, 300 - target.size() - below.size()), L'd');

    const ProgramRun saved = RunTarnwick(PathArgument(target));
    ASSERT_TRUE(saved.finished);
    EXPECT_EQ(saved.exitCode, 0u) << saved.output;
    for (const ExpectedFile& file : device.files)
        EXPECT_EQ(ReadFileBytes(target + below + L"\\" + file.name), ReadFileBytes(file.origin)) << file.name;
    EXPECT_EQ(LogsIn(target).size(), 1u) << "the log lands in the target on the share";

    const ProgramRun verified = RunTarnwick(L"\"/verify:" + target + L"\"");
    ASSERT_TRUE(verified.finished);
    EXPECT_NE(verified.output.find("\nVerified: 1 of 1 driver package(s) intact.\r\n"), std::string::npos)
        << verified.output;

    // The device has the same driver: it is installed again from the backup.
    const ProgramRun restored = RunTarnwick(L"\"/restore:" + target + L"\"");
    ASSERT_TRUE(restored.finished);
    EXPECT_TRUE(restored.exitCode == 0u || restored.exitCode == ERROR_SUCCESS_REBOOT_REQUIRED) << restored.output;
    EXPECT_NE(restored.output.find("  Installed.\r\n"), std::string::npos) << restored.output;
}

TEST_F(SharePathTest, ShareThatIsDownEndsTheRunWithTheSystemsReason)
{
    const std::wstring share = L"\\\\srv\\tarnwick-down";
    const std::wstring target = share + L"\\Drivers";
    // The reason is the share's own, as the system gives it for the share's top.
    ::SetLastError(0xdeadbeef);
    ASSERT_EQ(::GetFileAttributesW((share + L"\\").c_str()), INVALID_FILE_ATTRIBUTES);
    const DWORD error = ::GetLastError();

    const ProgramRun run = RunTarnwick(PathArgument(target));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find(LogBytes(L"ERROR: Could not create target folder.\n  " + SystemReason(error) + L"\n")),
              std::string::npos)
        << run.output;
    // Nothing but the log, which stays in the temporary folder and is named last.
    EXPECT_EQ(LogsIn(ReadSystemFolders().tempDir).size(), 1u);
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
}
