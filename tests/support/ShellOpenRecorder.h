// Records what the code under test asks the shell to open instead of opening it. A save from
// a dialog opens its log on its worker thread, so the record is guarded.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "log/IShellOpen.h"

class ShellOpenRecorder final : public IShellOpen {
public:
    void Open(const std::wstring& target) override
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        opened_.push_back(target);
    }

    std::vector<std::wstring> Opened() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return opened_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> opened_;
};
