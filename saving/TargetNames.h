// Names in a save's target ("\\srv\Drivers\{os}\{manufacturer}\{model}"), so that one command
// line serves every PC of a fleet. They are filled in at the edge (the command line's
// "/path:", the window's target folder) before the target is made a folder value; below it
// the target is a folder like any other.
#pragma once

#include <optional>
#include <string>

// What the names stand for, as read (ThisComputerNames) or given by a test.
struct TargetNameValues {
    std::wstring computer;      // {computer}: the computer's name
    std::wstring manufacturer;  // {manufacturer}: the system's maker, as the firmware says
    std::wstring model;         // {model}: the system's product, as the firmware says
    std::wstring os;            // {os}: the Windows, "Windows 11 x64"
    std::wstring date;          // {date}: today, yyyy-mm-dd, local time
};

// Why a target's names cannot be filled in.
enum class TargetNameError {
    None,
    UnknownName,     // "{name}" that is none of the above (or "{}")
    UnmatchedBrace,  // a "{" without its "}", or a "}" without its "{"
};

// Whether every brace of text opens or closes a known name; names ignore case ("{OS}").
TargetNameError CheckTargetNames(const std::wstring& text);

// Whether text holds "{name}" (name without braces, any case).
bool UsesTargetName(const std::wstring& text, const std::wstring& name);

// text with each name replaced by its value made a folder name by the rules device folders
// follow (FolderNameOf: characters that file names cannot hold dropped, a reserved device
// name changed); an empty maker or model is "Unknown maker" or "Unknown model". None when
// CheckTargetNames finds an error.
std::optional<std::wstring> ExpandTargetNames(const std::wstring& text, const TargetNameValues& values);

// The values of the running system, its Windows for {os}, and today's date.
TargetNameValues ThisComputerNames();
