// The handle kinds the program owns, each as a UniqueHandle with its own release call.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <setupapi.h>

#include "framework/UniqueHandle.h"

namespace handle_traits {

// Kernel objects whose "none" value is null: threads, events, processes.
struct Kernel {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

// Files: CreateFileW reports failure as INVALID_HANDLE_VALUE.
struct File {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct Find {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};

struct DeviceInfoSet {
    using Handle = HDEVINFO;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};

struct Inf {
    using Handle = HINF;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::SetupCloseInfFile(h); }
};

struct FileQueue {
    using Handle = HSPFILEQ;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::SetupCloseFileQueue(h); }
};

struct Library {
    using Handle = HMODULE;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};

// Registry keys opened outside RegistryKey (for example the device driver key, which
// SetupDiOpenDevRegKey reports as INVALID_HANDLE_VALUE on failure).
struct RegKey {
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept
    {
        return h != nullptr && h != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    }
    static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};

template <typename T>
struct GdiObject {
    using Handle = T;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};

// A memory device context made with CreateCompatibleDC.
struct MemoryDc {
    using Handle = HDC;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { ::DeleteDC(h); }
};

struct ImageList {
    using Handle = HIMAGELIST;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { ::ImageList_Destroy(h); }
};

struct Accelerators {
    using Handle = HACCEL;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { ::DestroyAcceleratorTable(h); }
};

} // namespace handle_traits

using UniqueKernelHandle = UniqueHandle<handle_traits::Kernel>;
using UniqueFileHandle = UniqueHandle<handle_traits::File>;
using UniqueFindHandle = UniqueHandle<handle_traits::Find>;
using UniqueDeviceInfoSet = UniqueHandle<handle_traits::DeviceInfoSet>;
using UniqueInfHandle = UniqueHandle<handle_traits::Inf>;
using UniqueFileQueue = UniqueHandle<handle_traits::FileQueue>;
using UniqueLibrary = UniqueHandle<handle_traits::Library>;
using UniqueRegKey = UniqueHandle<handle_traits::RegKey>;
using UniqueFont = UniqueHandle<handle_traits::GdiObject<HFONT>>;
using UniqueBitmap = UniqueHandle<handle_traits::GdiObject<HBITMAP>>;
using UniqueBrush = UniqueHandle<handle_traits::GdiObject<HBRUSH>>;
using UniqueMemoryDc = UniqueHandle<handle_traits::MemoryDc>;
using UniqueImageList = UniqueHandle<handle_traits::ImageList>;
using UniqueAccelerators = UniqueHandle<handle_traits::Accelerators>;
