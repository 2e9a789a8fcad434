// The shell's own "open" action (ShellExecuteW).
#pragma once

#include "log/IShellOpen.h"

class SystemShellOpen final : public IShellOpen {
public:
    void Open(const std::wstring& target) override;
};
