// FillTree against a real tree-view control: the nodes, their images, boxes and item data, and
// the messages that build them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "devices/TreeFill.h"
#include "tests/devices/ScanHelpers.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/ImportPatch.h"
#include "tests/support/TestWindow.h"

namespace {

const GUID kComputerClass = {0x4D36E966, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

struct Node {
    HTREEITEM handle;
    std::wstring text;
    int image;
    int selectedImage;
    UINT state;
    LPARAM data;
    std::vector<Node> children;
};

Node ReadNode(HWND tree, HTREEITEM handle)
{
    wchar_t text[1024] = L"";
    TVITEMW item = {};
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
    item.hItem = handle;
    item.stateMask = 0xFFFF;
    item.pszText = text;
    item.cchTextMax = 1024;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    Node node{handle, text, item.iImage, item.iSelectedImage, item.state, item.lParam, {}};
    auto child = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(handle)));
    for (; child; child = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
        node.children.push_back(ReadNode(tree, child));
    return node;
}

std::vector<Node> ReadTree(HWND tree)
{
    std::vector<Node> roots;
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (; item; item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        roots.push_back(ReadNode(tree, item));
    return roots;
}

GUID TestClassGuid()
{
    GUID guid = {};
    std::wstring text = fixture::kTestClassGuid;
    ::CLSIDFromString(&text[0], &guid);
    return guid;
}

// Wine 8 has no class image list (SetupDiGetClassImageList and SetupDiGetClassImageIndex are
// stubs that fail), so the tests give the tree an image list of their own and answer the
// index lookups themselves, through the program's import of SetupDiGetClassImageIndex.
const int kComputerImage = 3;
const int kTestClassImage = 5;
const int kPortsImage = 7;
std::vector<GUID> g_imageLookups;

BOOL WINAPI FakeClassImageIndex(PSP_CLASSIMAGELIST_DATA, const GUID* guid, PINT index)
{
    g_imageLookups.push_back(*guid);
    if (IsEqualGUID(*guid, kComputerClass))
        *index = kComputerImage;
    else if (IsEqualGUID(*guid, TestClassGuid()))
        *index = kTestClassImage;
    else if (IsEqualGUID(*guid, kPortsClass))
        *index = kPortsImage;
    else
        return FALSE;
    return TRUE;
}

// The messages FillTree sends, as the tree sees them.
struct Sent {
    UINT message;
    WPARAM wParam;
    UINT mask;            // TVIF_ flags of an item message
    HTREEITEM insertAfter;
};

std::vector<Sent>* g_sent = nullptr;
WNDPROC g_treeProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_sent) {
        switch (message) {
        case WM_SETREDRAW:
        case TVM_DELETEITEM:
        case TVM_EXPAND:
            g_sent->push_back({message, wParam, 0, nullptr});
            break;
        case TVM_INSERTITEMW: {
            const auto* insert = reinterpret_cast<const TVINSERTSTRUCTW*>(lParam);
            g_sent->push_back({message, wParam, insert->item.mask, insert->hInsertAfter});
            break;
        }
        case TVM_SETITEMW:
        case TVM_GETITEMW:
            g_sent->push_back({message, wParam, reinterpret_cast<const TVITEMW*>(lParam)->mask, nullptr});
            break;
        }
    }
    return ::CallWindowProcW(g_treeProc, window, message, wParam, lParam);
}

class DeviceTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                 0, 0, 380, 260, window.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, tree);
        // Check boxes set after creation, as the device tree view does.
        ::SetWindowLongPtrW(tree, GWL_STYLE, ::GetWindowLongPtrW(tree, GWL_STYLE) | TVS_CHECKBOXES);
        ASSERT_TRUE(imageIndexPatch.applied());
        imageList.reset(::ImageList_Create(16, 16, ILC_COLOR32, 8, 0));
        images.ImageList = imageList.get();
        ::SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images.ImageList));
        g_imageLookups.clear();
    }
    void TearDown() override { g_sent = nullptr; }

    // A scan of the oem drivers, which in this prefix are the fixture's alone.
    void Scan(DeviceList& list)
    {
        list.SetClassImageList(&images);
        ASSERT_TRUE(list.Scan(false, false, progress));
    }

    ImportPatch imageIndexPatch{"setupapi.dll", "SetupDiGetClassImageIndex", reinterpret_cast<const void*>(&FakeClassImageIndex)};
    UniqueImageList imageList;
    TestWindow window;
    HWND tree = nullptr;
    SP_CLASSIMAGELIST_DATA images = {sizeof(SP_CLASSIMAGELIST_DATA), nullptr, 0};
    IgnoreProgress progress;
};

fixture::Package TreePackage(const std::wstring& name, const std::wstring& hardwareId, const std::vector<fixture::DeviceSpec>& devices)
{
    return fixture::MakePackage(fixture::OneModelDriver(name, L"Tree device", hardwareId), devices);
}

fixture::Package PortsPackage()
{
    fixture::SimpleDriver driver;
    driver.name = L"treeports";
    driver.className = L"Ports";
    driver.classGuid = L"{4D36E978-E325-11CE-BFC1-08002BE10318}";
    driver.classDescription.clear();
    driver.models = {{L"Tree port", L"ROOT\\TARNWICK_TREE_PORT"}};
    return fixture::MakePackage(driver, {{L"ROOT\\TARNWICK_TREE_PORT"}});
}

TEST_F(DeviceTree, HasTheComputerClassesAndDevicesWithClearedBoxes)
{
    const std::wstring hw = L"ROOT\\TARNWICK_TREE_MAIN";
    fixture::DeviceSpec unknown = Named(hw, L"Tree unknown");
    unknown.unknownClass = true;
    fixture::ScopedPackage test(TreePackage(L"treemain", hw, {Named(hw, L"Tree B"), Named(hw, L"Tree A"), unknown}));
    fixture::ScopedPackage ports(PortsPackage());
    ASSERT_TRUE(test.ok()) << test.error();
    ASSERT_TRUE(ports.ok()) << ports.error();

    DeviceList list;
    Scan(list);  // only the fixture's drivers are oem ones here
    ASSERT_EQ(4u, list.Devices().size());
    list.FillTree(tree);

    const std::vector<Node> roots = ReadTree(tree);
    ASSERT_EQ(1u, roots.size());
    const Node& root = roots[0];
    wchar_t computer[1024] = L"";
    DWORD size = 1024;
    ASSERT_TRUE(::GetComputerNameW(computer, &size));
    EXPECT_EQ(computer, root.text);
    EXPECT_EQ(kComputerImage, root.image);
    EXPECT_EQ(root.image, root.selectedImage);
    EXPECT_EQ(0, root.data);
    EXPECT_EQ(0x1000u, root.state & TVIS_STATEIMAGEMASK);
    EXPECT_NE(0u, root.state & TVIS_EXPANDED);

    // Class nodes sorted by their text; a class without an image gets image 0.
    ASSERT_EQ(3u, root.children.size());
    const Node& portsNode = root.children[0];
    const Node& testNode = root.children[1];
    const Node& unknownNode = root.children[2];
    EXPECT_EQ(L"Ports (COM & LPT)", portsNode.text);
    EXPECT_EQ(fixture::kTestClassDescription, testNode.text);
    EXPECT_EQ(L"Unknown device", unknownNode.text);
    EXPECT_EQ(kPortsImage, portsNode.image);
    EXPECT_EQ(kTestClassImage, testNode.image);
    EXPECT_EQ(0, unknownNode.image);
    ASSERT_EQ(1u, unknownNode.children.size());
    EXPECT_EQ(0, unknownNode.children[0].image);
    for (const Node* node : {&portsNode, &testNode, &unknownNode}) {
        EXPECT_EQ(0, node->data) << node->text;
        EXPECT_EQ(0u, node->state & TVIS_EXPANDED) << node->text;
        EXPECT_EQ(0x1000u, node->state & TVIS_STATEIMAGEMASK) << node->text;
        EXPECT_EQ(node->image, node->selectedImage) << node->text;
    }

    ASSERT_EQ(2u, testNode.children.size());
    EXPECT_EQ(L"Tree A", testNode.children[0].text);
    EXPECT_EQ(L"Tree B", testNode.children[1].text);
    ASSERT_EQ(1u, portsNode.children.size());
    for (const Node* node : {&testNode.children[0], &testNode.children[1], &portsNode.children[0]}) {
        const auto* device = reinterpret_cast<const DeviceInfo*>(node->data);
        ASSERT_NE(nullptr, device);
        EXPECT_EQ(device->name, node->text);
        EXPECT_EQ(0x1000u, node->state & TVIS_STATEIMAGEMASK) << node->text;
        EXPECT_TRUE(node->children.empty());
    }
    EXPECT_EQ(testNode.image, testNode.children[0].image);
    EXPECT_EQ(portsNode.image, portsNode.children[0].image);
}

TEST_F(DeviceTree, ClassIconIsLookedUpOnceWithTheFirstRecordsClass)
{
    const std::wstring hw = L"ROOT\\TARNWICK_TREE_ICON";
    fixture::ScopedPackage test(NamedDevices(L"treeicon", hw, L"Tree device", {L"Icon A", L"Icon B"}));
    ASSERT_TRUE(test.ok()) << test.error();
    // Same class name, but the second device's class GUID is one without an image. (A GUID
    // of a registered class would not do: Wine then reports that class's name as the class.)
    ASSERT_TRUE(fixture::SetDeviceText(test.result().devices[1].instanceId, L"ClassGUID",
                                       L"{58D9A3B1-7C2E-4F60-9B14-2A6E5D0C8F31}"));
    DeviceList list;
    Scan(list);
    list.FillTree(tree);
    const std::vector<Node> roots = ReadTree(tree);
    ASSERT_EQ(1u, roots.size());
    ASSERT_EQ(1u, roots[0].children.size());
    const Node& classNode = roots[0].children[0];
    ASSERT_EQ(2u, classNode.children.size());
    EXPECT_EQ(kTestClassImage, classNode.image);
    EXPECT_EQ(kTestClassImage, classNode.children[0].image);
    EXPECT_EQ(kTestClassImage, classNode.children[1].image);
    // Looked up for the computer, then once for the class with the first record's GUID.
    ASSERT_EQ(2u, g_imageLookups.size());
    EXPECT_TRUE(IsEqualGUID(kComputerClass, g_imageLookups[0]));
    EXPECT_TRUE(IsEqualGUID(TestClassGuid(), g_imageLookups[1]));
}

TEST_F(DeviceTree, SendsItsMessagesInOrder)
{
    const std::wstring hw = L"ROOT\\TARNWICK_TREE_ORDER";
    fixture::ScopedPackage test(NamedDevices(L"treeorder", hw, L"Tree device", {L"Order A", L"Order B"}));
    ASSERT_TRUE(test.ok()) << test.error();
    DeviceList list;
    Scan(list);

    std::vector<Sent> sent;
    g_treeProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    g_sent = &sent;
    list.FillTree(tree);
    g_sent = nullptr;
    ::SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_treeProc));

    const UINT images = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    const std::vector<std::pair<UINT, UINT>> expected = {
        {WM_SETREDRAW, 0}, {TVM_DELETEITEM, 0},
        {TVM_INSERTITEMW, TVIF_TEXT}, {TVM_SETITEMW, images}, {TVM_SETITEMW, TVIF_STATE},  // computer
        {TVM_INSERTITEMW, TVIF_TEXT}, {TVM_SETITEMW, images}, {TVM_SETITEMW, TVIF_STATE},  // class
        {TVM_INSERTITEMW, TVIF_TEXT}, {TVM_SETITEMW, TVIF_PARAM}, {TVM_SETITEMW, images}, {TVM_SETITEMW, TVIF_STATE},
        {TVM_GETITEMW, images},  // the class's image read back for the second device
        {TVM_INSERTITEMW, TVIF_TEXT}, {TVM_SETITEMW, TVIF_PARAM}, {TVM_SETITEMW, images}, {TVM_SETITEMW, TVIF_STATE},
        {TVM_EXPAND, 0}, {WM_SETREDRAW, 0}};
    ASSERT_EQ(expected.size(), sent.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].first, sent[i].message) << "message " << i;
        EXPECT_EQ(expected[i].second, sent[i].mask) << "message " << i;
        if (sent[i].message == TVM_INSERTITEMW) {
            EXPECT_EQ(TVI_SORT, sent[i].insertAfter) << "message " << i;
        }
    }
    EXPECT_EQ(static_cast<WPARAM>(FALSE), sent.front().wParam);
    EXPECT_EQ(static_cast<WPARAM>(TRUE), sent.back().wParam);
    EXPECT_EQ(static_cast<WPARAM>(TVE_EXPAND), sent[sent.size() - 2].wParam);
}

TEST_F(DeviceTree, RescanLeavesOnlyItemsOfTheNewScan)
{
    const std::wstring hw = L"ROOT\\TARNWICK_TREE_RESCAN";
    fixture::ScopedPackage test(NamedDevices(L"treerescan", hw, L"Tree device", {L"Rescan A", L"Rescan B"}));
    ASSERT_TRUE(test.ok()) << test.error();
    DeviceList list;
    Scan(list);
    list.FillTree(tree);
    ASSERT_EQ(2u, ReadTree(tree)[0].children[0].children.size());

    ASSERT_TRUE(fixture::RemoveDevice(test.result().devices[1].instanceId));
    ASSERT_TRUE(list.Scan(false, false, progress));
    list.FillTree(tree);

    std::set<LPARAM> current;
    for (const auto& entry : list.Devices())
        current.insert(reinterpret_cast<LPARAM>(entry.second.get()));
    const std::vector<Node> roots = ReadTree(tree);
    ASSERT_EQ(1u, roots.size());
    ASSERT_EQ(1u, roots[0].children.size());
    ASSERT_EQ(1u, roots[0].children[0].children.size());
    const Node& device = roots[0].children[0].children[0];
    EXPECT_EQ(L"Rescan A", device.text);
    EXPECT_EQ(1u, current.count(device.data));
}

TEST_F(DeviceTree, EmptyOrFailedScanShowsTheComputerAlone)
{
    bool failing = false;
    DeviceSetSource empty = ChosenDevices({});
    DeviceList list([&](DWORD flags) { return failing ? INVALID_HANDLE_VALUE : empty(flags); });
    list.SetClassImageList(&images);
    for (bool fail : {false, true}) {
        failing = fail;
        EXPECT_EQ(!fail, list.Scan(true, false, progress));
        list.FillTree(tree);
        const std::vector<Node> roots = ReadTree(tree);
        ASSERT_EQ(1u, roots.size());
        EXPECT_TRUE(roots[0].children.empty());
        EXPECT_EQ(0x1000u, roots[0].state & TVIS_STATEIMAGEMASK);
    }
}

// Made-up records: names that differ only in case, one name twice (under another INF), and
// names that the tree's sort and the list's ordinal order put in different orders.
std::vector<std::unique_ptr<DeviceInfo>> BatchRecords()
{
    const std::vector<std::pair<std::wstring, std::wstring>> devices = {
        {L"Net", L"beta"}, {L"Net", L"Alpha"}, {L"Net", L"alpha"}, {L"Net", L"Gamma 10"}, {L"Net", L"Gamma 9"},
        {L"Net", L"alpha"}, {L"Ports", L"COM1"}, {L"Ports", L"com1"}, {L"Ports", L"Zeta"}, {L"Net", L"\u00c4rger"},
        {L"PortsX", L"Printer"}};
    std::vector<std::unique_ptr<DeviceInfo>> records;
    for (size_t i = 0; i < devices.size(); ++i) {
        auto record = std::make_unique<DeviceInfo>();
        record->className = devices[i].first;
        record->classDescription = devices[i].first + L" devices";
        record->name = devices[i].second;
        record->infPath = L"oem" + std::to_wstring(i) + L".inf";
        record->infSection = L"Install";
        records.push_back(std::move(record));
    }
    return records;
}

// What the tree shows: each class's text and its devices' texts and records, in tree order.
std::vector<std::pair<std::wstring, std::vector<std::pair<std::wstring, LPARAM>>>> Shown(HWND tree)
{
    std::vector<std::pair<std::wstring, std::vector<std::pair<std::wstring, LPARAM>>>> shown;
    const std::vector<Node> roots = ReadTree(tree);
    for (const Node& classNode : roots.at(0).children) {
        shown.push_back({classNode.text, {}});
        for (const Node& device : classNode.children)
            shown.back().second.push_back({device.text, device.data});
    }
    return shown;
}

TEST_F(DeviceTree, BatchesFillTheTreeThatInsertingInListOrderGives)
{
    DeviceList list;
    list.SetRecordSource([](bool, IProgressReporter&, std::vector<std::unique_ptr<DeviceInfo>>& records) {
        records = BatchRecords();
        return true;
    });
    Scan(list);
    // The tree as every device inserted in the list's order, each in the tree's sorted place.
    HWND reference = ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD, 0, 0, 100, 100, window.get(), nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, reference);
    const auto insert = [&](HTREEITEM parent, const std::wstring& text, LPARAM data) {
        TVINSERTSTRUCTW item = {};
        item.hParent = parent;
        item.hInsertAfter = TVI_SORT;
        item.item.mask = TVIF_TEXT | TVIF_PARAM;
        item.item.pszText = const_cast<wchar_t*>(text.c_str());
        item.item.lParam = data;
        return reinterpret_cast<HTREEITEM>(::SendMessageW(reference, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    };
    const HTREEITEM root = insert(TVI_ROOT, L"", 0);
    std::map<std::wstring, HTREEITEM> classes;
    for (const auto& entry : list.Devices()) {
        const DeviceInfo& device = *entry.second;
        if (!classes.count(device.className))
            classes[device.className] = insert(root, device.classDescription, 0);
        insert(classes[device.className], device.name, reinterpret_cast<LPARAM>(&device));
    }

    for (size_t batch : {size_t(1), size_t(3), SIZE_MAX}) {
        SCOPED_TRACE(batch);
        TreeFill fill(list, tree);
        size_t batches = 1;
        while (!fill.Next(batch))
            ++batches;
        EXPECT_EQ(batch == 1 ? list.Devices().size() : batch == 3 ? 4u : 1u, batches);
        EXPECT_EQ(Shown(reference), Shown(tree));
        EXPECT_NE(0u, ReadTree(tree).at(0).state & TVIS_EXPANDED);
    }
    ::DestroyWindow(reference);
}

} // namespace
