// COM for the calling thread while the object lives: initialised in the given apartment and
// uninitialised again only when this object's initialisation succeeded.
#pragma once

#include <objbase.h>

class ScopedCom {
public:
    explicit ScopedCom(DWORD apartment) noexcept
        : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, apartment)))
    { }
    ~ScopedCom()
    {
        if (initialised_)
            ::CoUninitialize();
    }
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;

private:
    bool initialised_;
};
