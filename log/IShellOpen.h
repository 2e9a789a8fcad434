// The shell's "open" action, given to the code that hands documents and addresses to the
// user's programs (a finished log, a link), so that a test can see what would be opened
// without starting a viewer.
#pragma once

#include <string>

class IShellOpen {
public:
    // Opens a document, file or address with the program registered for it. A failure is
    // left to the system's own reaction.
    virtual void Open(const std::wstring& target) = 0;

protected:
    ~IShellOpen() = default;
};
