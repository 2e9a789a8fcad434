// The application module: the instance whose resources the windows load, and the message
// loop of each thread that runs one. Initialised by the entry point before the main window
// runs and terminated after it.
#pragma once

#include <windows.h>

#include <map>

class CMessageLoop;

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

    // Registers the calling thread's loop; false when the thread has one already.
    bool AddMessageLoop(CMessageLoop& loop);
    void RemoveMessageLoop() noexcept;
    // The calling thread's loop, or null.
    CMessageLoop* GetMessageLoop() const noexcept;

private:
    HINSTANCE instance_ = nullptr;
    // Only the user-interface thread runs a loop, so only that thread uses this map.
    std::map<DWORD, CMessageLoop*> loops_;
};

CAppModule& AppModule();
