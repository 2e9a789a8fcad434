#include "platform/MachinePlatform.h"

#include "platform/ProcAddress.h"

namespace {

using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE process, USHORT* processMachine, USHORT* nativeMachine);

USHORT NativeMachine()
{
    // Windows 10 1709 and later tell the machine's own processor also to an emulated process.
    const auto isWow64Process2 =
        GetProcAddressAs<IsWow64Process2Function>(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2");
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (isWow64Process2 && isWow64Process2(::GetCurrentProcess(), &processMachine, &nativeMachine))
        return nativeMachine;
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_ARM64:
        return IMAGE_FILE_MACHINE_ARM64;
    case PROCESSOR_ARCHITECTURE_INTEL:
        return IMAGE_FILE_MACHINE_I386;
    default:
        return IMAGE_FILE_MACHINE_AMD64;
    }
}

} // namespace

std::wstring DecorationForMachine(USHORT machine)
{
    switch (machine) {
    case IMAGE_FILE_MACHINE_ARM64:
        return L"arm64";
    case IMAGE_FILE_MACHINE_I386:
        return L"x86";
    default:
        return L"amd64";
    }
}

std::wstring MachineDecoration()
{
    static const std::wstring decoration = DecorationForMachine(NativeMachine());
    return decoration;
}

std::wstring NtMachineDecoration()
{
    return L"NT" + MachineDecoration();
}
