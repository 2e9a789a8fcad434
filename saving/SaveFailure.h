// Why a device of a save was not saved, as a value: the save keeps the first one of each
// device, and the log and the device report word it from here, the same words in both.
#pragma once

#include <string>

enum class SaveFailure {
    None,
    DriverChanged,     // the device's driver key names another driver than the scan read
    FilesNotFound,     // the driver's file set could not be worked out
    FolderNotCreated,  // the device folder (subject) could not be made
    FreeSpaceUnknown,  // the target's volume did not say how much room it has
    NoSpace,           // the device's files do not fit the room left
    FileNotSaved,      // a file of the set (subject, its name in the set) was not saved
    Stopped,           // the user stopped the run during the device
};

struct DeviceFailure {
    SaveFailure reason = SaveFailure::None;
    // What the reason names: the folder or the file; empty for the others.
    std::wstring subject;

    explicit operator bool() const noexcept { return reason != SaveFailure::None; }
};

// The failure as one sentence without its "ERROR: " mark ("Failed to save file a.sys"); empty
// for none.
std::wstring FailureText(const DeviceFailure& failure);
