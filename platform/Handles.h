// The handle kinds the program owns, each as a UniqueHandle with its own release call.
#pragma once

#include <windows.h>
#include <bcrypt.h>
#include <commctrl.h>
#include <setupapi.h>

#include "platform/UniqueHandle.h"

namespace handle_traits {

// Kinds whose creating calls report failure as null.
template <typename H>
struct NullIsNone {
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
};

// Kinds whose creating calls report failure as INVALID_HANDLE_VALUE (files, find handles and
// the setup services' handles); null never names one either.
struct InvalidValueIsNone {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
};

// Kernel objects whose "none" value is null: threads, events, processes.
struct Kernel : InvalidValueIsNone {
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

// Files: CreateFileW reports failure as INVALID_HANDLE_VALUE.
struct File : InvalidValueIsNone {
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct Find : InvalidValueIsNone {
    static void Close(Handle h) noexcept { ::FindClose(h); }
};

struct DeviceInfoSet : InvalidValueIsNone {
    static void Close(Handle h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};

struct Inf : InvalidValueIsNone {
    static void Close(Handle h) noexcept { ::SetupCloseInfFile(h); }
};

struct FileQueue : InvalidValueIsNone {
    static void Close(Handle h) noexcept { ::SetupCloseFileQueue(h); }
};

struct Library : NullIsNone<HMODULE> {
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};

// Registry keys opened outside RegistryKey (for example the device driver key, which
// SetupDiOpenDevRegKey reports as INVALID_HANDLE_VALUE on failure).
struct RegKey : NullIsNone<HKEY> {
    static bool IsValid(Handle h) noexcept
    {
        return h != nullptr && h != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    }
    static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};

template <typename T>
struct GdiObject : NullIsNone<T> {
    static void Close(T h) noexcept { ::DeleteObject(h); }
};

// A memory device context made with CreateCompatibleDC.
struct MemoryDc : NullIsNone<HDC> {
    static void Close(Handle h) noexcept { ::DeleteDC(h); }
};

struct ImageList : NullIsNone<HIMAGELIST> {
    static void Close(Handle h) noexcept { ::ImageList_Destroy(h); }
};

// A menu not (yet) given to a window: a window destroys its own menu bar.
struct Menu : NullIsNone<HMENU> {
    static void Close(Handle h) noexcept { ::DestroyMenu(h); }
};

struct Accelerators : NullIsNone<HACCEL> {
    static void Close(Handle h) noexcept { ::DestroyAcceleratorTable(h); }
};

// The system's cryptography (CNG): an algorithm provider and a hash object made from one.
struct CngAlgorithm : NullIsNone<BCRYPT_ALG_HANDLE> {
    static void Close(Handle h) noexcept { ::BCryptCloseAlgorithmProvider(h, 0); }
};

struct CngHash : NullIsNone<BCRYPT_HASH_HANDLE> {
    static void Close(Handle h) noexcept { ::BCryptDestroyHash(h); }
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
using UniqueMenu = UniqueHandle<handle_traits::Menu>;
using UniqueAccelerators = UniqueHandle<handle_traits::Accelerators>;
using UniqueCngAlgorithm = UniqueHandle<handle_traits::CngAlgorithm>;
using UniqueCngHash = UniqueHandle<handle_traits::CngHash>;
