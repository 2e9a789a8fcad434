// Joining paths and their parts with the shell's path functions, in 512-character buffers: those
// assume the classic MAX_PATH limit and fail rather than truncate, and these wrappers pass that
// failure on, so a path that does not fit is an error and never a shortened path. Making a full
// path of a folder the user names, and telling what lies inside it, is FolderPath's alone
// (platform/FolderPath.h).
#pragma once

#include <cstddef>
#include <string>

// The size, in characters, of the program's path buffers.
const size_t kPathBufferLength = 512;

// Joins more onto path with one backslash between (PathAppendW). False, with path unchanged,
// when the result would not fit.
bool AppendPath(std::wstring& path, const std::wstring& more);

// The joined path, or empty text when it would not fit.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& more);

// Resolves "." and ".." parts (PathCanonicalizeW). False when the path does not fit.
bool CanonicalizePath(const std::wstring& path, std::wstring& canonical);

// Adds a closing backslash unless there is one; empty text stays empty (as PathAddBackslashW).
std::wstring WithBackslash(const std::wstring& path);

// The file name part (PathFindFileNameW).
std::wstring FileNamePart(const std::wstring& path);

// The path without its last part (PathRemoveFileSpecW).
std::wstring WithoutFileName(const std::wstring& path);

// The path with its extension replaced (PathRenameExtensionW); extension includes the dot.
// False when the result would not fit.
bool RenameExtension(std::wstring& path, const wchar_t* extension);

// Removes every backslash at the start.
std::wstring WithoutLeadingBackslashes(const std::wstring& text);

// True when the two texts are equal once the letters A to Z are folded to lower case; every
// other character compares by its code unit. For identifiers that only fold A to Z (hardware
// IDs, INF section names); file names compare with platform/FileNameCompare.h.
bool EqualsFoldingAsciiCase(const std::wstring& left, const std::wstring& right) noexcept;
std::wstring FoldAsciiCase(std::wstring text);
// Negative, zero or positive as left sorts before, with or after right under the same
// folding (a name that is the start of the other sorts first). It copies nothing, so a sort
// callback that the system calls can use it without any exception to fear.
int CompareFoldingAsciiCase(const std::wstring& left, const std::wstring& right) noexcept;
