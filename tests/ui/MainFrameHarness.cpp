#include "tests/ui/MainFrameHarness.h"

#include "resources/resource.h"
#include "ui/Settings.h"
#include "framework/AppModule.h"
#include "tests/fixtures/DriverFixture.h"
#include "tests/support/TestWindow.h"

const wchar_t kThirdPartyClassDescription[] = L"Tarnwick test devices";

namespace {

const DWORD kTimeoutMs = 60000;

// Installed once for the program; the prefix is the program's own and goes with it.
class FixtureDrivers : public ::testing::Environment {
public:
    void SetUp() override
    {
        fixture::SimpleDriver driver;
        driver.name = L"tarnwickui";
        driver.classDescription = kThirdPartyClassDescription;
        driver.models = {{L"Tarnwick test device", L"ROOT\\TARNWICK_UI_DEVICE"}};
        fixture::DeviceSpec camera{L"ROOT\\TARNWICK_UI_DEVICE"};
        camera.friendlyName = ThirdPartyDeviceNames()[0];
        fixture::DeviceSpec scanner{L"ROOT\\TARNWICK_UI_DEVICE"};
        scanner.friendlyName = ThirdPartyDeviceNames()[1];
        const fixture::InstallResult oem = fixture::InstallPackage(fixture::MakePackage(driver, {camera, scanner}));
        ASSERT_TRUE(oem.ok) << oem.error;

        fixture::SimpleDriver system;
        system.name = L"tarnwickinbox";
        system.classDescription = kThirdPartyClassDescription;
        system.models = {{InboxDeviceName(), L"ROOT\\TARNWICK_UI_INBOX"}};
        fixture::Package inbox = fixture::MakePackage(system, {{L"ROOT\\TARNWICK_UI_INBOX"}});
        inbox.inbox = true;
        const fixture::InstallResult installed = fixture::InstallPackage(inbox);
        ASSERT_TRUE(installed.ok) << installed.error;
    }
};

::testing::Environment* const g_drivers = ::testing::AddGlobalTestEnvironment(new FixtureDrivers);

} // namespace

void RecordingActions::ShowDriverFiles(HWND owner, DeviceInfo& device, PlacementRecord& placement,
                                       std::wstring& browsePath)
{
    if (realDriverFiles)
        return real.ShowDriverFiles(owner, device, placement, browsePath);
    Recorded().driverFiles.push_back(&device);
    Recorded().driverFilesInfPaths.push_back(device.infFullPath);
    Recorded().lastOwner = owner;
}

void RecordingActions::SaveDevices(HWND owner, const std::vector<DeviceInfo*>& devices, std::wstring& browsePath,
                                   bool verifyAfter)
{
    Recorded().saves.push_back(devices);
    Recorded().verifiedSaves.push_back(verifyAfter);
    Recorded().lastOwner = owner;
    if (!chosenFolder.empty())
        browsePath = chosenFolder;
}

void RecordingActions::SaveDevicesToZip(HWND owner, const std::vector<DeviceInfo*>& devices, bool verifyAfter)
{
    Recorded().zipSaves.push_back(devices);
    Recorded().verifiedSaves.push_back(verifyAfter);
    Recorded().lastOwner = owner;
}

void RecordingActions::ShowDeviceProperties(HWND owner, const DeviceInfo& device)
{
    Recorded().deviceProperties.push_back(&device);
    Recorded().lastOwner = owner;
}

void RecordingActions::ShowAbout(HWND owner)
{
    if (realAbout)
        return real.ShowAbout(owner);
    ++Recorded().about;
    Recorded().lastOwner = owner;
}

void RecordingActions::ShowHelp(HWND owner)
{
    ++Recorded().help;
    Recorded().lastOwner = owner;
}

void RecordingActions::OpenHomePage()
{
    ++Recorded().homePage;
}

void RecordingActions::OpenDeviceManager(HWND owner)
{
    ++Recorded().deviceManager;
    Recorded().lastOwner = owner;
}

// As if a restore ran: the frame then scans again.
bool RecordingActions::RestoreDrivers(HWND owner, const std::wstring& browsePath)
{
    Recorded().restores.push_back(browsePath);
    Recorded().lastOwner = owner;
    return true;
}

void RecordingActions::ExportDevices(HWND owner, const DeviceReport& report)
{
    Recorded().exports.push_back(report);
    Recorded().lastOwner = owner;
}

void RecordingActions::VerifyBackup(HWND owner, const std::wstring& browsePath)
{
    Recorded().verifications.push_back(browsePath);
    Recorded().lastOwner = owner;
}

bool RecordingActions::PickOfflineWindows(HWND owner, std::wstring& folder)
{
    Recorded().lastOwner = owner;
    if (chosenImage.empty())
        return false;
    folder = chosenImage;
    return true;
}

void RecordingActions::UseSystemFolders(const SystemFolders* imageFolders)
{
    Recorded().shownSystems.push_back(imageFolders && imageFolders->image ? imageFolders->image->WithSeparator() : std::wstring());
    real.UseSystemFolders(imageFolders);
}

RecordedActions& Recorded()
{
    static RecordedActions recorded;
    return recorded;
}

const std::vector<std::wstring>& ThirdPartyDeviceNames()
{
    static const std::vector<std::wstring> names = {L"Tarnwick Test Camera", L"Tarnwick Test Scanner"};
    return names;
}

const std::wstring& InboxDeviceName()
{
    static const std::wstring name = L"Tarnwick Inbox Device";
    return name;
}

void MainFrameHarness::SetUp()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(AppModule().AddMessageLoop(loop));
    Recorded() = RecordedActions();
}

void MainFrameHarness::TearDown()
{
    if (frame) {
        WaitForScan();
        if (frame->IsWindow()) {
            frame->Destroy();
            Pump();
        }
        frame.reset();
    }
    AppModule().RemoveMessageLoop();
}

void MainFrameHarness::Create()
{
    const DeviceSetSource source = [this](DWORD flags) {
        scanFlags.push_back(flags);
        // The last scan's records are gone by now: the tree is repainted at once, as the
        // system may do at any time, and its rows are counted.
        if (tree) {
            ::RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            rowsWhenRecordsGone.push_back(static_cast<UINT>(tree.Send(TVM_GETCOUNT, 0, 0)));
        }
        return SystemDeviceSet(flags);
    };
    frame = std::make_unique<CMainFrame>(source, actions, services.messages);
    ASSERT_NE(frame->CreateMainWindow(), nullptr);
    tree = CTreeViewCtrlEx(frame->View().Tree().get());
}

void MainFrameHarness::Start(int showCommand)
{
    Create();
    frame->Show(showCommand);
    WaitForScan();
}

void MainFrameHarness::Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            continue;
        }
        if (!loop.PreTranslateMessage(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

void MainFrameHarness::WaitForScan()
{
    const DWORD start = ::GetTickCount();
    Pump();
    while (frame && frame->IsScanning() && ::GetTickCount() - start < kTimeoutMs) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Pump();
    }
    ASSERT_FALSE(frame && frame->IsScanning()) << "the scan did not end";
}

bool MainFrameHarness::WaitForDestruction()
{
    const DWORD start = ::GetTickCount();
    Pump();
    while (frame->IsWindow() && ::GetTickCount() - start < kTimeoutMs) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Pump();
    }
    return !frame->IsWindow();
}

bool MainFrameHarness::PressCtrlKey(WORD key)
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE pressed[256];
    std::copy(keys, keys + 256, pressed);
    pressed[VK_CONTROL] = 0x80;
    ::SetKeyboardState(pressed);
    MSG message = {};
    message.hwnd = frame->View().Tree().get();
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    const bool translated = loop.PreTranslateMessage(message);
    ::SetKeyboardState(keys);
    Pump();
    return translated;
}

void MainFrameHarness::ChooseFolderInSave(const std::wstring& folder)
{
    actions.chosenFolder = folder;
    frame->View().Tree().ToggleCheck(ThirdPartyClassNode());
    frame->Send(WM_COMMAND, ID_DEVICE_SAVE);
    frame->View().Tree().ToggleCheck(ThirdPartyClassNode());
}

HTREEITEM MainFrameHarness::FindNode(HTREEITEM parent, const std::wstring& text) const
{
    for (HTREEITEM node : Children(parent)) {
        if (tree.GetItemText(node) == text)
            return node;
    }
    return nullptr;
}

HTREEITEM MainFrameHarness::ThirdPartyClassNode() const
{
    return FindNode(tree.GetRootItem(), kThirdPartyClassDescription);
}

std::vector<HTREEITEM> MainFrameHarness::Children(HTREEITEM parent) const
{
    std::vector<HTREEITEM> children;
    for (HTREEITEM node = tree.GetChildItem(parent); node; node = tree.GetNextSiblingItem(node))
        children.push_back(node);
    return children;
}

bool MainFrameHarness::MenuChecked(UINT id) const
{
    return frame->Menu().IsChecked(id);
}

bool MainFrameHarness::ButtonPressed(UINT id) const
{
    return frame->ToolBar().Send(TB_ISBUTTONPRESSED, id) != 0;
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    } while (::GetTickCount() - start < milliseconds);
}

void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD key)
{
    PressKeys({key});
}
