#include "saving/SaveFailure.h"

std::wstring FailureText(const DeviceFailure& failure)
{
    switch (failure.reason) {
    case SaveFailure::None:
        return std::wstring();
    case SaveFailure::DriverChanged:
        return L"The device's driver changed since the scan.";
    case SaveFailure::FilesNotFound:
        return L"Failed to find driver files.";
    case SaveFailure::FolderNotCreated:
        return L"Failed to create folder '" + failure.subject + L"'.";
    case SaveFailure::FreeSpaceUnknown:
        return L"Could not read the free space on target.";
    case SaveFailure::NoSpace:
        return L"Not enough space on target.";
    case SaveFailure::FileNotSaved:
        return L"Failed to save file " + failure.subject;
    case SaveFailure::Stopped:
        return L"Operation aborted by the user.";
    }
    return std::wstring();
}
