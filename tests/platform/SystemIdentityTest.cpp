// The name of a Windows as driver folders of deployment kits name it, from what its registry
// says of it.
#include <gtest/gtest.h>

#include "platform/SystemIdentity.h"

TEST(WindowsName, VersionWithoutEditionAndTheProcessors)
{
    const struct {
        const wchar_t* product;
        const wchar_t* build;
        const wchar_t* architecture;
        const wchar_t* name;
    } rows[] = {
        {L"Windows 10 Pro", L"19045", L"AMD64", L"Windows 10 x64"},
        // Windows 11 still calls itself Windows 10 in ProductName: its build tells.
        {L"Windows 10 Pro", L"22631", L"AMD64", L"Windows 11 x64"},
        {L"Windows 10 Enterprise LTSC 2021", L"21999", L"x86", L"Windows 10 x86"},
        {L"Windows 10 Home", L"26100", L"ARM64", L"Windows 11 ARM64"},
        {L"Microsoft Windows 7", L"7601", L"AMD64", L"Windows 7 x64"},
        {L"Windows 7 Ultimate", L"7601", L"x86", L"Windows 7 x86"},
        {L"Windows 8.1 Pro", L"9600", L"AMD64", L"Windows 8.1 x64"},
        {L"Windows Vista (TM) Business", L"6002", L"x86", L"Windows Vista x86"},
        {L"Windows Server 2012 R2 Standard", L"9600", L"AMD64", L"Windows Server 2012 R2 x64"},
        // A server's year is its version, whatever its build.
        {L"Windows Server 2025 Datacenter", L"26100", L"AMD64", L"Windows Server 2025 x64"},
        {L"Windows Server Datacenter", L"26100", L"AMD64", L"Windows Server x64"},
        // What cannot be read is left out.
        {L"", L"", L"AMD64", L"Windows x64"},
        {L"ReactOS", L"3790", L"", L"Windows"},
        {L"Windows 10 Pro", L"", L"IA64", L"Windows 10"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.product) + L" / " + row.build));
        EXPECT_EQ(WindowsName(row.product, row.build, row.architecture), row.name);
    }
}
