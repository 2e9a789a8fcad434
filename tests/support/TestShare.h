// A network share of the test's own, "\\srv\<name>". Wine takes the folder
// dosdevices\unc\srv\<name> of its prefix for that share, so the share is made there (the
// prefix is reached through Wine's Z: drive, which maps the Unix root); on Windows a test
// that needs it is skipped. The share and everything in it go when the test ends.
#pragma once

#include <string>

class TestShare {
public:
    // A share that is up: its folder made in the prefix.
    explicit TestShare(const std::wstring& name = L"share");
    ~TestShare();
    TestShare(const TestShare&) = delete;
    TestShare& operator=(const TestShare&) = delete;

    // Whether the share is there to be used.
    bool up() const { return up_; }
    // "\\srv\<name>".
    const std::wstring& path() const { return path_; }
    // path joined with a relative name.
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }
    // Takes the share down: its folder goes, with everything in it.
    void TakeDown();

private:
    std::wstring path_;
    std::wstring folder_;
    bool up_ = false;
};
