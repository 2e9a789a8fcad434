// The verify dialog on a backup folder in the test's prefix: once the verification is done it
// lists each package with its verdict and the files at fault (and a picture of it), counts the
// intact ones under the list, installs nothing, and leaves the log in the backup folder,
// opened when the dialog goes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "discovery/SystemFolders.h"
#include "platform/ShellPath.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/saving/SavingTestSupport.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestBackup.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestShellServices.h"
#include "tests/support/TestWindow.h"
#include "ui/CVerifyDlg.h"
#include "ui/PackageListColumns.h"

namespace {

class VerifyDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::ShowWindow(owner.get(), SW_SHOWNORMAL);
        for (const std::wstring name : {L"vdgood", L"vdbad"})
            sandbox.Add(name, std::wstring(fixture::kTestClassDescription) + L"\\" + name + L" Widget", name + L" Widget");
        ASSERT_TRUE(WriteFileBytes(FolderOf(L"vdbad") + L"\\vdbad.sys", "cut"));
    }

    void TearDown() override { RemoveLogsInTemp(); }

    std::wstring FolderOf(const std::wstring& name) const
    {
        return sandbox / (std::wstring(fixture::kTestClassDescription) + L"\\" + name + L" Widget");
    }

    TestShellServices services;
    TestBackup sandbox;
    TestWindow owner;
};

} // namespace

TEST_F(VerifyDialogTest, ListsEachVerdictWithTheFilesAtFaultAndCountsTheIntactOnes)
{
    std::vector<std::vector<std::wstring>> rows;
    std::wstring status;
    {
        CVerifyDlg dialog(::FolderOf(sandbox.path()), services.Services());
        ModalScript script([&] {
            const HWND window = dialog.get();
            const HWND list = window ? ::GetDlgItem(window, IDC_VERIFY_LIST) : nullptr;
            if (!list || !::IsWindowVisible(window) || ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) < 2)
                return false;
            for (int item = 0; item < 2; ++item) {
                rows.emplace_back();
                for (int column = 0; column < 4; ++column)
                    rows.back().push_back(ListItemText(list, item, column));
            }
            wchar_t text[128] = L"";
            ::GetDlgItemTextW(window, IDC_VERIFY_STATUS, text, 128);
            status = text;
            EXPECT_TRUE(SaveScreenshot(window, NameAtDpi(L"verify-dialog", ExpectedTestDpi())));
            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        EXPECT_EQ(dialog.DoModal(owner.get()), IDCANCEL);
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(services.shell.Opened().empty()) << "the log opens when the dialog goes";
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"vdbad Widget", L"vdbad.inf", L"damaged",
                                                    L"vdbad.sys: does not match the catalog"}));
    EXPECT_EQ(rows[1], (std::vector<std::wstring>{L"vdgood Widget", L"vdgood.inf", L"intact", L""}));
    EXPECT_EQ(status, L"Verified: 1 of 2 driver package(s) intact.");
    // The log stays in the temporary folder, and opens from there: the backup is left as it was.
    const std::wstring temp = ReadSystemFolders().tempDir;
    EXPECT_NE(OnlyLogIn(temp).find("Verified: 1 of 2 driver package(s) intact."), std::string::npos);
    EXPECT_EQ(services.shell.Opened(), std::vector<std::wstring>{WithBackslash(temp) + LogsIn(temp).at(0)});
}

TEST(VerifyDialogTexts, NothingFoundSaysSo)
{
    EXPECT_EQ(VerifiedCountText({}), L"No driver packages found in this folder.");
    DriverPackage refused;
    refused.displayName = L"Class\\Device\\x.inf";
    refused.outcome = PackageOutcome::InfRefused;
    refused.error = L"the INF cannot be read (line 3)";
    EXPECT_EQ(PackageCells(VerifyColumns(), refused),
              (std::vector<std::wstring>{L"Device", L"x.inf", L"refused: the INF cannot be read (line 3)", L""}));
    EXPECT_EQ(VerifiedCountText({refused}), L"Verified: 0 of 1 driver package(s) intact.");
}
