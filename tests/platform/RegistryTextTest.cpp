// Registry values read as text, and the owning key wrapper.
#include <gtest/gtest.h>

#include <string>

#include "platform/RegistryKey.h"
#include "platform/RegistryText.h"

namespace {

const wchar_t kTestKey[] = L"Software\\Morvane\\TarnwickTest\\RegistryText";

class RegistryTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(::RegCreateKeyW(HKEY_CURRENT_USER, kTestKey, &key_), ERROR_SUCCESS);
    }
    void TearDown() override
    {
        ::RegCloseKey(key_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(::RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    void SetText(const wchar_t* name, DWORD type, const std::wstring& text)
    {
        Set(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    HKEY key_ = nullptr;
};

} // namespace

TEST_F(RegistryTextTest, PlainTextAsStored)
{
    SetText(L"DriverDate", REG_SZ, L"6-21-2006");
    EXPECT_EQ(ReadRegistryText(key_, L"DriverDate"), L"6-21-2006");
}

TEST_F(RegistryTextTest, ExpandableTextIsExpanded)
{
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TARNWICK_ROOT", L"C:\\windows"));
    SetText(L"DevicePath", REG_EXPAND_SZ, L"%TARNWICK_ROOT%\\inf");
    EXPECT_EQ(ReadRegistryText(key_, L"DevicePath"), L"C:\\windows\\inf");
}

TEST_F(RegistryTextTest, OtherTypesMissingAndEmptyValuesReadEmpty)
{
    const BYTE binary[] = {'a', 0, 'b', 0, 0, 0};
    Set(L"Binary", REG_BINARY, binary, sizeof(binary));
    const wchar_t multi[] = L"first\0second\0";
    Set(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    const DWORD number = 5;
    Set(L"Number", REG_DWORD, &number, sizeof(number));
    Set(L"Empty", REG_SZ, nullptr, 0);

    EXPECT_EQ(ReadRegistryText(key_, L"Binary"), L"");
    EXPECT_EQ(ReadRegistryText(key_, L"Multi"), L"");
    EXPECT_EQ(ReadRegistryText(key_, L"Number"), L"");
    EXPECT_EQ(ReadRegistryText(key_, L"Empty"), L"");
    EXPECT_EQ(ReadRegistryText(key_, L"Missing"), L"");
}

TEST_F(RegistryTextTest, TextWithoutTerminatorOrWithEmbeddedNull)
{
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    Set(L"Unterminated", REG_SZ, unterminated, sizeof(unterminated));
    const wchar_t embedded[] = L"left\0right";
    Set(L"Embedded", REG_SZ, embedded, sizeof(embedded));
    EXPECT_EQ(ReadRegistryText(key_, L"Unterminated"), L"abc");
    EXPECT_EQ(ReadRegistryText(key_, L"Embedded"), L"left");
}

TEST_F(RegistryTextTest, LongTextIsReadWhole)
{
    const std::wstring longText(5000, L'x');
    SetText(L"Long", REG_SZ, longText);
    EXPECT_EQ(ReadRegistryText(key_, L"Long"), longText);
    // Around the size that a first read takes, with and without the terminating null.
    for (size_t length = 253; length <= 258; ++length) {
        const std::wstring text(length, L'y');
        SetText(L"Edge", REG_SZ, text);
        EXPECT_EQ(ReadRegistryText(key_, L"Edge"), text) << length;
        Set(L"Edge", REG_SZ, text.data(), static_cast<DWORD>(length * sizeof(wchar_t)));
        EXPECT_EQ(ReadRegistryText(key_, L"Edge"), text) << length << " unterminated";
    }
}

TEST_F(RegistryTextTest, KeyWrapperOpensCreatesAndReads)
{
    const std::wstring sub = std::wstring(kTestKey) + L"\\Child\\Grandchild";
    {
        RegistryKey missing(HKEY_CURRENT_USER, sub.c_str(), false);
        EXPECT_FALSE(missing.IsOpen());
        EXPECT_FALSE(missing.HasValue(L"x"));
        EXPECT_EQ(missing.ReadText(L"x"), L"");
    }
    {
        RegistryKey created(HKEY_CURRENT_USER, sub.c_str(), true);
        ASSERT_TRUE(created.IsOpen());
        EXPECT_EQ(created.WriteText(L"Text", L"value"), ERROR_SUCCESS);
        const BYTE bytes[3] = {1, 2, 3};
        EXPECT_TRUE(created.WriteBinary(L"Bytes", bytes, sizeof(bytes)));
    }
    RegistryKey opened(HKEY_CURRENT_USER, sub.c_str(), false);
    ASSERT_TRUE(opened.IsOpen());
    EXPECT_TRUE(opened.HasValue(L"Text"));
    EXPECT_FALSE(opened.HasValue(L"Absent"));
    EXPECT_EQ(opened.ReadText(L"Text"), L"value");
    BYTE read[5] = {9, 9, 9, 9, 9};
    EXPECT_TRUE(opened.ReadBinary(L"Bytes", read, sizeof(read)));
    EXPECT_EQ(read[2], 3);
    EXPECT_EQ(read[3], 9) << "a shorter value leaves the rest of the buffer";
    EXPECT_FALSE(opened.ReadBinary(L"Absent", read, sizeof(read)));
}
