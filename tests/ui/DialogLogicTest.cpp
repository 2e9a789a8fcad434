// What the dialogs compute without windows: the driver files list's order and status text,
// the date column, the save progress dialog's bar and percentage, the greyed toolbar
// pictures, which chosen targets count as folders, the restore list's cells and the main
// window's size on a small screen.
#include <gtest/gtest.h>

#include "platform/DriverKey.h"
#include "ui/DateText.h"

#include "ui/ReportFileDialog.h"

#include "ui/CDriverFilesDlg.h"
#include "ui/PackageListColumns.h"
#include "ui/WindowFit.h"
#include "ui/CSaveProgressDlg.h"
#include "ui/FileListOrder.h"
#include "ui/ProgressBar.h"
#include "ui/ShellActions.h"
#include "ui/ToolbarImages.h"
#include "ui/SaveTarget.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestShellServices.h"

namespace {

DriverFile File(const wchar_t* name, DWORD size, unsigned long long time)
{
    DriverFile file;
    file.name = name;
    file.size = size;
    file.time.dwLowDateTime = static_cast<DWORD>(time);
    file.time.dwHighDateTime = static_cast<DWORD>(time >> 32);
    return file;
}

} // namespace

TEST(FileListOrder, ClicksSortAscendingThenDescendingThenAscending)
{
    FileListOrder order;
    order = AfterColumnClick(order, kSizeColumn);
    EXPECT_EQ(order.column, kSizeColumn);
    EXPECT_FALSE(order.descending);
    order = AfterColumnClick(order, kSizeColumn);
    EXPECT_TRUE(order.descending);
    order = AfterColumnClick(order, kSizeColumn);
    EXPECT_FALSE(order.descending);
    order = AfterColumnClick(AfterColumnClick(order, kSizeColumn), kDateColumn);
    EXPECT_EQ(order.column, kDateColumn);
    EXPECT_FALSE(order.descending) << "another column always starts ascending";
}

TEST(FileListOrder, FirstClickOnTheNameColumnAfterOpeningSortsDescending)
{
    // The list opens sorted by name ascending, so the name column's first click flips it.
    EXPECT_TRUE(AfterColumnClick(FileListOrder(), kNameColumn).descending);
}

TEST(FileListOrder, NamesIgnoreTheCaseOfLettersAToZOnly)
{
    const DriverFile upper = File(L"B.SYS", 1, 1);
    const DriverFile lower = File(L"a.sys", 2, 2);
    const DriverFile same = File(L"b.sys", 3, 3);
    const DriverFile accented = File(L"\u00c9.sys", 0, 0);
    const DriverFile underscore = File(L"_x.sys", 0, 0);
    const FileListOrder byName;
    EXPECT_LT(CompareDriverFiles(&lower, &upper, byName), 0);
    EXPECT_EQ(CompareDriverFiles(&upper, &same, byName), 0);
    EXPECT_GT(CompareDriverFiles(&accented, &lower, byName), 0) << "other characters by code unit";
    EXPECT_LT(CompareDriverFiles(&underscore, &upper, byName), 0)
        << "'_' comes before the letters once they are folded";

    const DriverFile stem = File(L"CARD", 0, 0);
    const DriverFile longer = File(L"card.sys", 0, 0);
    EXPECT_LT(CompareDriverFiles(&stem, &longer, byName), 0) << "a name that starts the other comes first";
    EXPECT_GT(CompareDriverFiles(&longer, &stem, byName), 0);
    const DriverFile highUnit = File(L"\uff41.sys", 0, 0);
    EXPECT_GT(CompareDriverFiles(&highUnit, &accented, byName), 0) << "code units compare unsigned";
    EXPECT_LT(CompareDriverFiles(&highUnit, &accented, {kNameColumn, true}), 0);
}

TEST(FileListOrder, SizesAndWholeTimesCompareNumerically)
{
    const DriverFile small = File(L"z", 999, 0x1'0000'0000ull);
    const DriverFile large = File(L"a", 3'000'000'000u, 0x0'FFFF'FFFFull);
    EXPECT_LT(CompareDriverFiles(&small, &large, {kSizeColumn, false}), 0) << "unsigned sizes";
    EXPECT_GT(CompareDriverFiles(&small, &large, {kSizeColumn, true}), 0);
    EXPECT_GT(CompareDriverFiles(&small, &large, {kDateColumn, false}), 0) << "the high half of the time counts";
    EXPECT_EQ(CompareDriverFiles(&small, nullptr, {kSizeColumn, false}), 0);
    EXPECT_EQ(CompareDriverFiles(&small, &large, {7, false}), 0);
}

TEST(FileStatus, TotalsInThousandsOfBytesRoundedDown)
{
    EXPECT_EQ(FileStatusText(0, 0), L"Files: 0, Total size: 0 KB");
    EXPECT_EQ(FileStatusText(2, 999), L"Files: 2, Total size: 0 KB");
    EXPECT_EQ(FileStatusText(3, 1999), L"Files: 3, Total size: 1 KB");
    EXPECT_EQ(FileStatusText(4, 2500000), L"Files: 4, Total size: 2500 KB");
    EXPECT_EQ(FileStatusText(5, 4294967295u), L"Files: 5, Total size: 4294967 KB");
    EXPECT_EQ(FileStatusText(1, 0x140000000ull), L"Files: 1, Total size: 5368709 KB") << "5 GiB, not its low 32 bits";
}

TEST(DateText, FileTimesAndDriverDaysShowInTheUsersShortDateFormat)
{
    SYSTEMTIME first = {};
    first.wYear = 1601;
    first.wMonth = 1;
    first.wDay = 1;
    wchar_t expected[64] = L"";
    ASSERT_GT(::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &first, nullptr, expected, 64), 0);
    EXPECT_EQ(ShortDateText(FILETIME{0, 0}), expected);
    EXPECT_EQ(ShortDateText(FILETIME{0xFFFFFFFF, 0xFFFFFFFF}), L"") << "a time that does not convert";
    // A driver's date stored as text, "m-d-yyyy", shows in the same form as a file's.
    EXPECT_EQ(ShortDateText(DriverDay(std::nullopt, L"1-1-1601")), expected);
    EXPECT_EQ(ShortDateText(DriverDay(std::nullopt, L"not a date")), L"");
}

TEST(SaveProgress, BarAndPercentageAreTruncated)
{
    EXPECT_EQ(ProgressBarPosition(0.0), 0);
    EXPECT_EQ(PercentText(0.0), L"0%");
    EXPECT_EQ(ProgressBarPosition(0.5), 500);
    EXPECT_EQ(PercentText(0.5), L"50%");
    EXPECT_EQ(ProgressBarPosition(0.999), 999);
    EXPECT_EQ(PercentText(0.999), L"99%");
    EXPECT_EQ(ProgressBarPosition(1.0), 1000);
    EXPECT_EQ(PercentText(1.0), L"100%");
}

TEST(DisabledPictures, PixelsTurnGreyOfTheSameBrightnessAndHalfAsOpaque)
{
    EXPECT_EQ(DisabledPixel(0xFFFF0000u, true), 0x7F4C4C4Cu) << "opaque red: grey 76, alpha 127";
    EXPECT_EQ(DisabledPixel(0xFFFFFFFFu, true), 0x7FFFFFFFu);
    EXPECT_EQ(DisabledPixel(0x00000000u, true), 0x00000000u) << "transparent stays transparent";
    EXPECT_EQ(DisabledPixel(0x80008000u, true), 0x404B4B4Bu);
    // Without alpha the mask decides what shows; the picture is lightened instead.
    EXPECT_EQ(DisabledPixel(0x00000000u, false), 0x007F7F7Fu);
    EXPECT_EQ(DisabledPixel(0x000000FFu, false), 0x008E8E8Eu) << "blue: grey 29, lightened to 142";
}

TEST(TargetFolder, OnlyAnExistingFolderOnDiskCounts)
{
    const TempFolder temp;
    EXPECT_TRUE(IsFileSystemFolder(temp.path()));
    EXPECT_FALSE(IsFileSystemFolder(L"")) << "nothing chosen";
    EXPECT_FALSE(IsFileSystemFolder(temp / L"missing"));
    ASSERT_TRUE(WriteFileBytes(temp / L"file.txt", "x"));
    EXPECT_FALSE(IsFileSystemFolder(temp / L"file.txt")) << "a file is no target";
}

TEST(TargetFolder, NamesInTheChosenFolderAreFilledInOrSaidToBeWrong)
{
    // The user answers the picker with a folder whose name holds braces.
    struct Answer final : IFolderPicker {
        std::wstring folder;
        bool PickFolder(std::wstring& path, HWND, const wchar_t*) override
        {
            path = folder;
            return true;
        }
    } picker;
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    wchar_t today[16] = L"";
    ::swprintf_s(today, L"%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    const struct {
        const wchar_t* chosen;
        std::wstring target;  // empty: refused
        const wchar_t* reason;
    } rows[] = {
        {L"C:\\Out\\{date}", std::wstring(L"C:\\Out\\") + today, nullptr},
        {L"C:\\Out\\{serial}", L"", L"a name in braces is none of {computer}, {manufacturer}, {model}, {os} and {date}"},
        {L"C:\\Out\\{date", L"", L"a brace has no partner"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.chosen)));
        TestShellServices services;
        picker.folder = row.chosen;
        std::wstring browsePath;
        const std::optional<FolderPath> target = PickSaveTarget(
            {services.messages, services.shell, picker, services.systemFolders}, browsePath, nullptr);
        EXPECT_EQ(target ? target->Full() : L"", row.target);
        ASSERT_EQ(services.messages.boxes().size(), row.reason ? 1u : 0u);
        if (row.reason) {
            EXPECT_EQ(services.messages.boxes()[0].text,
                      L"The folder " + std::wstring(row.chosen) + L" cannot be saved into: " + row.reason + L".");
        }
    }
}

TEST(RestoreList, BeforeTheRunTheStatusCellGivesTheDecisionWithItsReason)
{
    DriverPackage package;
    package.displayName = L"Ports (COM & LPT)\\Contoso Port\\cport.inf";
    package.outcome = PackageOutcome::FilesMissing;
    package.missingFiles = {L"cport.sys", L"x64\\cport.dll"};
    EXPECT_EQ(PackageCells(RestoreColumns(), package).at(5), L"refuse: files missing: cport.sys, x64\\cport.dll");

    package.missingFiles.clear();
    package.outcome = PackageOutcome::FilesDamaged;
    package.verification.badFiles = {{L"cport.sys", L"does not match the catalog"}};
    EXPECT_EQ(PackageStatusCell(package), L"refuse: files damaged: cport.sys");

    package.outcome = PackageOutcome::InfRefused;
    package.error = L"The INF names no install section.";
    EXPECT_EQ(PackageStatusCell(package), L"refuse: The INF names no install section.");
    package.error.clear();
    package.outcome = PackageOutcome::ToInstall;
    EXPECT_EQ(PackageStatusCell(package), L"install");
    package.outcome = PackageOutcome::NotForArchitecture;
    EXPECT_EQ(PackageStatusCell(package), L"skip: not for this architecture");
    package.outcome = PackageOutcome::NewerInBackup;
    EXPECT_EQ(PackageStatusCell(package), L"skip: a newer package in this backup");

    // After the run: what it did, with the reason of a failure.
    package.outcome = PackageOutcome::InstallFailed;
    package.error = L"the installer did not finish";
    EXPECT_EQ(PackageStatusCell(package), L"install failed: the installer did not finish");
    package.error.clear();
    package.outcome = PackageOutcome::Skipped;
    EXPECT_EQ(PackageStatusCell(package), L"skipped (installed driver is newer)") << "no reason, no colon";
}

TEST(WindowFit, TheSizeIsCutToTheWorkArea)
{
    const RECT laptop = {0, 0, 1366, 768};
    SIZE size = FittedSize({1140, 900}, laptop);
    EXPECT_EQ(size.cx, 1140);
    EXPECT_EQ(size.cy, 768);
    size = FittedSize({760, 600}, {0, 0, 1280, 1024});
    EXPECT_EQ(size.cx, 760);
    EXPECT_EQ(size.cy, 600);
    size = FittedSize({760, 600}, {100, 40, 700, 540});
    EXPECT_EQ(size.cx, 600) << "the work area's own width, wherever it starts";
    EXPECT_EQ(size.cy, 500);
}

TEST(ReportFileDialog, TheChosenTypeGivesTheExtensionOnlyWhenTheNameHasNone)
{
    EXPECT_EQ(WithReportExtension(L"C:\\r\\devices", 1), L"C:\\r\\devices.json");
    EXPECT_EQ(WithReportExtension(L"C:\\r\\devices", 2), L"C:\\r\\devices.csv");
    EXPECT_EQ(WithReportExtension(L"C:\\r\\devices.CSV", 1), L"C:\\r\\devices.CSV");
    EXPECT_EQ(WithReportExtension(L"C:\\r\\devices.json", 2), L"C:\\r\\devices.json");
    EXPECT_EQ(WithReportExtension(L"C:\\r.json\\devices", 2), L"C:\\r.json\\devices.csv");
}
