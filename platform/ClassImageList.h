// The setup classes' icons as SetupDiGetClassImageList hands them out: an image list together
// with the data the class image lookups need. Owned like every other handle: destroyed with
// SetupDiDestroyClassImageList exactly once, never copied.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <utility>

class ClassImageList {
public:
    ClassImageList() noexcept = default;
    ~ClassImageList() { reset(); }
    ClassImageList(ClassImageList&& other) noexcept : data_(std::exchange(other.data_, Empty())) {}
    ClassImageList& operator=(ClassImageList&& other) noexcept
    {
        if (this != &other) {
            reset();
            data_ = std::exchange(other.data_, Empty());
        }
        return *this;
    }
    ClassImageList(const ClassImageList&) = delete;
    ClassImageList& operator=(const ClassImageList&) = delete;

    // Loads the system's list in place of the one held; false when there is none.
    bool Load() noexcept
    {
        reset();
        if (::SetupDiGetClassImageList(&data_))
            return true;
        data_ = Empty();
        return false;
    }

    void reset() noexcept
    {
        if (data_.ImageList)
            ::SetupDiDestroyClassImageList(&data_);
        data_ = Empty();
    }

    HIMAGELIST ImageList() const noexcept { return data_.ImageList; }
    // What SetupDiGetClassImageIndex looks a class up in; its image list is null while none
    // is loaded.
    SP_CLASSIMAGELIST_DATA* Data() noexcept { return &data_; }

private:
    static SP_CLASSIMAGELIST_DATA Empty() noexcept
    {
        SP_CLASSIMAGELIST_DATA data = {};
        data.cbSize = sizeof(data);
        return data;
    }

    SP_CLASSIMAGELIST_DATA data_ = Empty();
};
