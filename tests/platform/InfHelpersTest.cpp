// The INF and machine helpers that the discovery of a driver's files and the restore share:
// the running machine's decoration, whether a section exists, which catalog a [Version] names.
#include <gtest/gtest.h>

#include "platform/Handles.h"
#include "platform/InfText.h"
#include "platform/MachinePlatform.h"
#include "tests/support/TempFolder.h"

namespace {

UniqueInfHandle OpenInf(const TempFolder& folder, const std::string& text)
{
    const std::wstring path = folder / L"helpers.inf";
    EXPECT_TRUE(WriteFileBytes(path, text));
    return UniqueInfHandle(::SetupOpenInfFileW(path.c_str(), nullptr, INF_STYLE_WIN4, nullptr));
}

const char kVersion[] = "[Version]\nSignature=\"$Windows NT$\"\nClass=Sample\n";

} // namespace

TEST(MachinePlatform, EachProcessorHasItsDecoration)
{
    EXPECT_EQ(DecorationForMachine(IMAGE_FILE_MACHINE_AMD64), L"amd64");
    EXPECT_EQ(DecorationForMachine(IMAGE_FILE_MACHINE_ARM64), L"arm64");
    EXPECT_EQ(DecorationForMachine(IMAGE_FILE_MACHINE_I386), L"x86");
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    const std::wstring expected = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ? L"arm64" : L"amd64";
    EXPECT_EQ(MachineDecoration(), expected);
    EXPECT_EQ(NtMachineDecoration(), L"NT" + expected);
}

TEST(InfHelpers, AnEmptySectionExistsAMissingOneDoesNot)
{
    TempFolder folder;
    const UniqueInfHandle inf = OpenInf(folder, std::string(kVersion) + "\n[Empty]\n\n[Full]\nkey=value\n");
    ASSERT_TRUE(inf);
    EXPECT_TRUE(InfHasSection(inf.get(), L"Empty"));
    EXPECT_TRUE(InfHasSection(inf.get(), L"full")) << "section names ignore case";
    EXPECT_FALSE(InfHasSection(inf.get(), L"Missing"));
}

TEST(InfHelpers, TheDecoratedCatalogLineComesFirst)
{
    TempFolder folder;
    const UniqueInfHandle both =
        OpenInf(folder, std::string(kVersion) + "CatalogFile=plain.cat\nCatalogFile.NTarm64=arm.cat\n");
    ASSERT_TRUE(both);
    EXPECT_EQ(ReadCatalogName(both.get(), L".NTarm64"), L"arm.cat");
    EXPECT_EQ(ReadCatalogName(both.get(), L".NTamd64"), L"plain.cat");
    EXPECT_EQ(ReadCatalogName(both.get(), L""), L"plain.cat");

    TempFolder other;
    const UniqueInfHandle none = OpenInf(other, kVersion);
    ASSERT_TRUE(none);
    EXPECT_EQ(ReadCatalogName(none.get(), L".NTamd64"), L"");
}
