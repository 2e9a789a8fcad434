// Replaces this program's import of one function, by name, while the object lives: the way to
// make a setup call fail that never fails on its own, or answer one that Wine leaves a stub.
#pragma once

#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, const void* replacement)
    {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name; ++entry) {
            if (::lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0 || !entry->OriginalFirstThunk)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (::lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) == 0)
                    slot_ = &slots->u1.Function;
            }
        }
        if (slot_)
            original_ = Swap(reinterpret_cast<ULONG_PTR>(replacement));
    }
    ~ImportPatch()
    {
        if (slot_)
            Swap(original_);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    bool applied() const { return slot_ != nullptr; }

private:
    ULONG_PTR Swap(ULONG_PTR value)
    {
        DWORD protection = 0;
        ::VirtualProtect(slot_, sizeof(*slot_), PAGE_READWRITE, &protection);
        const ULONG_PTR old = *slot_;
        *slot_ = value;
        ::VirtualProtect(slot_, sizeof(*slot_), protection, &protection);
        return old;
    }

    ULONG_PTR* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};
