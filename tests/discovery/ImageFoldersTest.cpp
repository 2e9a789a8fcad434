// The folders of an offline Windows: where its files are, how this PC's install targets map
// into it, its driver store found by content, and a file set that takes nothing from this PC.
#include <gtest/gtest.h>

#include <string>

#include "discovery/DriverFileFinder.h"
#include "discovery/ImageDriverStore.h"
#include "discovery/SystemFolders.h"
#include "platform/ShellPath.h"
#include "tests/discovery/RecordingReporter.h"
#include "tests/support/InfTexts.h"
#include "tests/support/TempFolder.h"

namespace {

const wchar_t kCatalogFolder[] = L"CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";

TEST(ImageFolders, EveryFolderLiesInTheImage)
{
    const SystemFolders image = ReadImageFolders(FolderOf(L"E:"), L"AMD64");
    EXPECT_EQ(image.image->WithSeparator(), L"E:\\");
    EXPECT_EQ(image.imageArchitecture, L"AMD64");
    EXPECT_EQ(image.windowsDir, L"E:\\Windows\\");
    EXPECT_EQ(image.systemDir, L"E:\\Windows\\System32\\");
    EXPECT_EQ(image.catalogDir, std::wstring(L"E:\\Windows\\System32\\") + kCatalogFolder);
    EXPECT_EQ(image.printerDriverDir, L"E:\\Windows\\System32\\spool\\drivers\\x64\\");
    EXPECT_EQ(image.printProcessorDir, L"E:\\Windows\\System32\\spool\\prtprocs\\x64\\");
    EXPECT_EQ(image.driverStoreDir, L"E:\\Windows\\System32\\DriverStore\\FileRepository\\");
    EXPECT_EQ(image.infFolders, std::vector<std::wstring>{L"E:\\Windows\\INF"});
    EXPECT_EQ(image.tempDir, ReadSystemFolders().tempDir) << "the log is written on this PC first";
}

TEST(ImageFolders, PrinterFoldersFollowTheImagesArchitecture)
{
    EXPECT_EQ(ReadImageFolders(FolderOf(L"E:\\"), L"x86").printerDriverDir, L"E:\\Windows\\System32\\spool\\drivers\\W32X86\\");
    EXPECT_EQ(ReadImageFolders(FolderOf(L"E:\\"), L"ARM64").printProcessorDir, L"E:\\Windows\\System32\\spool\\prtprocs\\ARM64\\");
    EXPECT_EQ(ReadImageFolders(FolderOf(L"E:\\"), L"").printerDriverDir, L"E:\\Windows\\System32\\spool\\drivers\\x64\\");
}

// The setup services give a file's installed place in this PC's folders: the Windows folder
// (directory ids 10 to 55, the printer folders) and the rest of the system drive (24, 16422
// Program Files) map into the image; another drive is nowhere in it.
TEST(ImageFolders, InstallTargetsOfThisPcMapIntoTheImage)
{
    const SystemFolders own = ReadSystemFolders();
    const SystemFolders image = ReadImageFolders(FolderOf(L"E:\\"), L"AMD64");
    const std::wstring drive = own.windowsDir.substr(0, 3);
    const struct {
        std::wstring target;
        std::wstring expected;
    } cases[] = {
        {own.systemDir + L"drivers\\contoso.sys", L"E:\\Windows\\System32\\drivers\\contoso.sys"},
        {own.windowsDir + L"INF\\contoso.inf", L"E:\\Windows\\INF\\contoso.inf"},
        {FoldAsciiCase(own.systemDir) + L"spool\\drivers\\x64\\3\\p.dll", L"E:\\Windows\\System32\\spool\\drivers\\x64\\3\\p.dll"},
        {drive + L"Program Files\\Contoso\\tool.exe", L"E:\\Program Files\\Contoso\\tool.exe"},
        {drive + L"contoso.ini", L"E:\\contoso.ini"},
        {L"Q:\\elsewhere\\contoso.sys", L""},
        {L"\\\\server\\share\\contoso.sys", L""},
    };
    for (const auto& c : cases) {
        // The part below the mapped folder keeps the case the setup services gave it.
        EXPECT_EQ(FoldAsciiCase(PathInImage(c.target, image)), FoldAsciiCase(c.expected))
            << ::testing::PrintToString(c.target);
        EXPECT_EQ(PathInImage(c.target, own), c.target) << "this PC's own folders map nothing";
    }
}

TEST(ImageDriverStore, FindsThePackageFolderWhoseInfHasThePublishedBytes)
{
    TempFolder repository;
    TempFolder inf;
    const std::string published = VersionSection() + CopyToDrivers("Card", "contoso.sys\n");
    ASSERT_TRUE(WriteFileBytes(inf / L"oem5.inf", published));
    std::string sameSize = published;
    sameSize.back() = 'X';
    ASSERT_TRUE(WriteFileBytes(repository / L"contoso.inf_amd64_1111\\contoso.inf", sameSize));
    ASSERT_TRUE(WriteFileBytes(repository / L"other.inf_amd64_2222\\other.inf", VersionSection()));
    ASSERT_TRUE(WriteFileBytes(repository / L"contoso.inf_amd64_3333\\sub\\contoso.inf", published));
    ASSERT_TRUE(WriteFileBytes(repository / L"contoso.inf_amd64_4444\\contoso.inf", published));

    const FolderPath temp = FolderOf(ReadSystemFolders().tempDir);
    EXPECT_EQ(FindStoreCopyByContent(temp, inf / L"oem5.inf", repository.path()),
              repository / L"contoso.inf_amd64_4444\\contoso.inf");
    EXPECT_EQ(FindStoreCopyByContent(temp, inf / L"oem6.inf", repository.path()), L"") << "no published INF";
    ASSERT_TRUE(WriteFileBytes(inf / L"oem7.inf", VersionSection("; unique\n")));
    EXPECT_EQ(FindStoreCopyByContent(temp, inf / L"oem7.inf", repository.path()), L"") << "no package of those bytes";
}

// An image with a driver installed through its store: the store copy is read, a file is
// found at its installed place in the image, and a file that only this PC has is not taken.
TEST(ImageFileSet, TakesNoFileFromThisPc)
{
    TempFolder root;
    const SystemFolders image = ReadImageFolders(FolderOf(root.path()), L"AMD64");
    const std::string inf = VersionSection("CatalogFile=contoso.cat\n") +
                            "\n[SourceDisksNames]\n1 = \"Contoso disk\",,,\"\"\n\n[SourceDisksFiles]\n"
                            "contoso-store.sys = 1\ncontoso-image.sys = 1\ncontoso-thispc.sys = 1\n" +
                            CopyToDrivers("Card", "contoso-store.sys\ncontoso-image.sys\ncontoso-thispc.sys\n");
    const std::wstring store = image.driverStoreDir + L"contoso.inf_amd64_0123456789abcdef\\";
    ASSERT_TRUE(WriteFileBytes(image.infFolders[0] + L"\\oem5.inf", inf));
    ASSERT_TRUE(WriteFileBytes(store + L"contoso.inf", inf));
    ASSERT_TRUE(WriteFileBytes(store + L"contoso.cat", "catalog"));
    ASSERT_TRUE(WriteFileBytes(store + L"contoso-store.sys", "in the store"));
    ASSERT_TRUE(WriteFileBytes(image.systemDir + L"drivers\\contoso-image.sys", "installed in the image"));
    const std::wstring thisPc = ReadSystemFolders().systemDir + L"drivers\\contoso-thispc.sys";
    ASSERT_TRUE(WriteFileBytes(thisPc, "installed on this PC only"));

    DeviceInfo device;
    device.infPath = L"oem5.inf";
    device.infSection = L"Card";
    RecordingReporter reporter;
    DriverFileFinder finder(device, reporter, image);
    const bool found = finder.Run();
    RemoveTree(thisPc);
    ASSERT_TRUE(found);

    ASSERT_EQ(reporter.Names(), (std::vector<std::wstring>{L"contoso-store.sys", L"contoso-image.sys",
                                                           L"contoso-thispc.sys", L"contoso.cat", L"contoso.inf"}));
    EXPECT_EQ(device.files[0].path, store + L"contoso-store.sys");
    EXPECT_EQ(FoldAsciiCase(device.files[1].path), FoldAsciiCase(image.systemDir + L"drivers\\contoso-image.sys"));
    EXPECT_EQ(FoldAsciiCase(device.files[1].target), FoldAsciiCase(image.systemDir + L"drivers\\contoso-image.sys"));
    EXPECT_EQ(device.files[2].path, L"") << "this PC's copy is never taken";
    EXPECT_EQ(device.files[3].path, store + L"contoso.cat");
    EXPECT_EQ(device.files[4].path, store + L"contoso.inf");
    EXPECT_EQ(device.files[4].target, image.infFolders[0] + L"\\oem5.inf");
}

// The layout INF that an image INF names comes from the image's INF folder, not from this PC's,
// where one of the same name says otherwise.
TEST(ImageFileSet, TheLayoutInfComesFromTheImage)
{
    TempFolder root;
    const SystemFolders image = ReadImageFolders(FolderOf(root.path()), L"AMD64");
    const std::string layout = VersionSection() + "\n[SourceDisksNames]\n7 = \"Layout disk\",,,\\";
    ASSERT_TRUE(WriteFileBytes(image.infFolders[0] + L"\\oem8.inf",
                               VersionSection("LayoutFile=contoso-image-layout.inf\n") + CopyToDrivers("Card", "laid-out.sys\n")));
    ASSERT_TRUE(WriteFileBytes(image.infFolders[0] + L"\\contoso-image-layout.inf",
                               layout + "image\n\n[SourceDisksFiles]\nlaid-out.sys = 7\n"));
    const std::wstring thisPc = ReadSystemFolders().windowsDir + L"inf\\contoso-image-layout.inf";
    ASSERT_TRUE(WriteFileBytes(thisPc, layout + "thispc\n\n[SourceDisksFiles]\nlaid-out.sys = 7\n"));

    DeviceInfo device;
    device.infPath = L"oem8.inf";
    device.infSection = L"Card";
    RecordingReporter reporter;
    DriverFileFinder finder(device, reporter, image);
    const bool found = finder.Run();
    RemoveTree(thisPc);
    ASSERT_TRUE(found);
    ASSERT_FALSE(reporter.Names().empty());
    EXPECT_EQ(reporter.Names()[0], L"image\\laid-out.sys");
}

// Each way a driver file of an offline Windows can lead out of it to this PC's files: the file
// where the driver was installed is a link, its folder is, or the last-resort search finds a
// link. Such a file is never read (nothing of it is known); a link that stays in the image is.
TEST(ImageFileSet, AFileThatLeadsOutOfTheImageIsNeverRead)
{
    struct Case {
        const char* what;
        std::wstring link;  // in the image's System32 folder
        bool folderLink;
        bool out;           // to this PC's bytes, else to the image's
    };
    const std::vector<Case> cases = {
        {"a driver file that is a link out", L"drivers\\contoso.sys", false, true},
        {"the drivers folder a link out", L"drivers", true, true},
        {"a link out that the search finds", L"spool\\contoso.sys", false, true},
        {"a driver file that is a link in the image", L"drivers\\contoso.sys", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        TempFolder thisPc;
        const SystemFolders image = ReadImageFolders(FolderOf(root.path()), L"AMD64");
        ASSERT_TRUE(WriteFileBytes(image.infFolders[0] + L"\\oem5.inf", VersionSection() + CopyToDrivers("Card", "contoso.sys\n")));
        ASSERT_TRUE(WriteFileBytes(thisPc / L"contoso.sys", "this PC's"));
        ASSERT_TRUE(WriteFileBytes(root / L"kept\\contoso.sys", "the image's"));
        const std::wstring to = c.out ? thisPc.path() : root / L"kept";
        ASSERT_TRUE(MakeFolders(WithoutFileName(image.systemDir + c.link)));
        ASSERT_TRUE(c.folderLink ? MakeDirectoryLink(image.systemDir + c.link, to)
                                 : MakeFileLink(image.systemDir + c.link, to + L"\\contoso.sys"));

        DeviceInfo device;
        device.infPath = L"oem5.inf";
        device.infSection = L"Card";
        RecordingReporter reporter;
        DriverFileFinder finder(device, reporter, image);
        ASSERT_TRUE(finder.Run());
        const DriverFile& file = device.files.at(0);
        EXPECT_EQ(file.path.empty(), c.out);
        EXPECT_EQ(file.size, c.out ? 0u : 11u);
        EXPECT_EQ(file.refusal, c.out ? PathRefusal::Outside : PathRefusal::None);
    }
}

} // namespace
