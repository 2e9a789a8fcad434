// Rules of the device record that need no device: the oem test, the key and its order.
#include <gtest/gtest.h>

#include <vector>

#include "devices/DeviceList.h"
#include "model/OemInfName.h"

namespace {

TEST(IsOemInfName, FindsOemAnywhereInAnyCase)
{
    EXPECT_TRUE(IsOemInfName(L"oem12.inf"));
    EXPECT_TRUE(IsOemInfName(L"OEM3.INF"));
    EXPECT_TRUE(IsOemInfName(L"Oem0.inf"));
    EXPECT_TRUE(IsOemInfName(L"phoemix.inf"));  // a substring, not a prefix test
    EXPECT_TRUE(IsOemInfName(L"driverOEM"));
    EXPECT_FALSE(IsOemInfName(L"machine.inf"));
    EXPECT_FALSE(IsOemInfName(L"oe m.inf"));
    EXPECT_FALSE(IsOemInfName(L""));
}

TEST(DeviceKey, JoinsClassNameInfAndSectionAsTheyStand)
{
    DeviceInfo device;
    device.className = L"Ports";
    device.name = L" Contoso Port (COM1) ";
    device.infPath = L"oem7.inf";
    device.infSection = L"Serial_Install";
    device.description = L"not part of the key";
    EXPECT_EQ(L"Ports| Contoso Port (COM1) |oem7.inf|Serial_Install", DeviceKey(device));

    DeviceInfo empty;
    EXPECT_EQ(L"|||", DeviceKey(empty));
}

// The map's order is the order records are handed out and saved in.
std::vector<std::wstring> KeysInOrder(const std::vector<std::wstring>& keys)
{
    DeviceMap map;
    for (const std::wstring& key : keys)
        map.emplace(key, std::make_unique<DeviceInfo>());
    std::vector<std::wstring> ordered;
    for (const auto& entry : map)
        ordered.push_back(entry.first);
    return ordered;
}

TEST(DeviceMap, OrdersKeysOrdinallyAndCaseSensitively)
{
    // "|" sorts after letters, so a class that is a prefix of another comes after it.
    EXPECT_EQ((std::vector<std::wstring>{L"PortsX|b|oem1.inf|S", L"Ports|a|oem1.inf|S"}),
              KeysInOrder({L"Ports|a|oem1.inf|S", L"PortsX|b|oem1.inf|S"}));
    // Capital letters before small ones.
    EXPECT_EQ((std::vector<std::wstring>{L"Ports|Zeta|oem1.inf|S", L"Ports|alpha|oem1.inf|S"}),
              KeysInOrder({L"Ports|alpha|oem1.inf|S", L"Ports|Zeta|oem1.inf|S"}));
    EXPECT_EQ((std::vector<std::wstring>{L"Net|z|oem1.inf|S", L"Ports|a|oem1.inf|S"}),
              KeysInOrder({L"Ports|a|oem1.inf|S", L"Net|z|oem1.inf|S"}));
    // Code units compare unsigned: a character above 0x7FFF sorts after ASCII.
    EXPECT_EQ((std::vector<std::wstring>{L"A|z||", L"\x00C4|a||", L"\xFF21|a||"}),
              KeysInOrder({L"\xFF21|a||", L"\x00C4|a||", L"A|z||"}));
}

TEST(DeviceList, IsEmptyBeforeTheFirstScan)
{
    DeviceList list;
    EXPECT_TRUE(list.Devices().empty());
    EXPECT_EQ(nullptr, list.DeviceInfoSet());
}

} // namespace
