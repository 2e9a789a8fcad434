// The application module: the instance whose resources the windows load. Initialised by the
// entry point before the main window runs and terminated after it.
#pragma once

#include <windows.h>

class CAppModule {
public:
    void Init(HINSTANCE instance) noexcept { instance_ = instance; }
    void Term() noexcept { instance_ = nullptr; }

    // Falls back to the executable's own module, so code used before Init (or by tests,
    // which link the same resources) still finds its resources.
    HINSTANCE GetInstance() const noexcept
    {
        return instance_ ? instance_ : ::GetModuleHandleW(nullptr);
    }

private:
    HINSTANCE instance_ = nullptr;
};

CAppModule& AppModule();
