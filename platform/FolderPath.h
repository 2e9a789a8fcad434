// A folder the user (or a backup, or an offline Windows) names, made a full path once, and the
// one rule for what lies inside it. Every layer takes a FolderPath, never the text it came
// from: the text is resolved here alone, as the file system resolves it (a bare drive is its
// root, trailing blanks and dots go, "." and ".." parts and a drive-relative or rooted path are
// completed from the current folder), and names are compared as the file system compares them.
//
// Two questions are told apart. Whether a path is inside by its text (Contains, RelativeName,
// Inside) is enough for what the program is about to create. Whether a file that is there is
// inside is asked of the file as opened (OpenInside, IsOpenedInside): a link, junction or mount
// point that leads out is outside, whatever its text says.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/Handles.h"

// Why a path is not taken.
enum class PathRefusal {
    None,
    Empty,            // no name at all
    Unresolvable,     // the system makes no full path of the text
    NotFound,         // nothing of that name is there
    NotAFolder,       // a file stands where a folder is wanted
    Outside,          // it leads out of the folder: a drive, a share, ".." parts, a link
    DeviceName,       // a part of it names a device ("NUL", "COM1", "con.txt")
    AlternateStream,  // a colon inside a name: an alternate data stream
    TooLong,          // longer than the call that will use it takes
    CannotOpen,       // it cannot be opened to see where it leads
};

// The refusal as a log or a message names it: "outside the folder", "a device name", ...
std::wstring RefusalText(PathRefusal refusal);

// The longest full path, in characters, that calls limited to MAX_PATH take (the setup
// services, the shell's path functions).
const size_t kClassicPathLength = MAX_PATH - 1;
// The longest that the calls taking the "\\?\" form accept.
const size_t kLongPathLength = 32767;

// What a path must be to be taken.
struct PathRules {
    size_t longest = kClassicPathLength;  // most characters of the full path
    bool mustExist = false;               // a folder must be there (Resolve, Folder)
};

// Paths that only the file calls use (a backup's folders and files), at any length.
const PathRules kAnyLength = {kLongPathLength, false};

// The form of a full path ("C:\x", "\\server\share\x") that the file calls take at any length:
// past the classic limit the form that lifts it ("\\?\C:\x", "\\?\UNC\server\share\x"),
// otherwise the path as it is. Every path handed to a file call is put through this one
// rule; messages show the plain form. The setup services and the shell's path functions take
// neither form past the limit.
std::wstring OpenablePath(const std::wstring& full);

// A value, or why there is none.
template <typename T>
class PathResult {
public:
    PathResult(T value) : value_(std::move(value)) {}  // NOLINT: a value converts to a result
    PathResult(PathRefusal refusal) : refusal_(refusal) {}  // NOLINT: so does a refusal

    explicit operator bool() const noexcept { return value_.has_value(); }
    const T& operator*() const& { return *value_; }
    T&& operator*() && { return std::move(*value_); }
    const T* operator->() const { return &*value_; }
    PathRefusal refusal() const noexcept { return refusal_; }

private:
    std::optional<T> value_;
    PathRefusal refusal_ = PathRefusal::None;
};

// A path inside a folder: where it is, and its name from the folder's top.
struct PathInside {
    std::wstring full;
    std::wstring relative;

    // full as the file calls take it (OpenablePath).
    std::wstring Openable() const { return OpenablePath(full); }
};

class FolderPath {
public:
    // The folder that text names, resolved as above. Refused when text is empty, names a
    // device or a stream, cannot be resolved or is longer than rules allow, and, when rules
    // say it must exist, when nothing is there (NotFound) or a file is (NotAFolder).
    static PathResult<FolderPath> Resolve(const std::wstring& text, const PathRules& rules = {});

    // What the user gave, for messages.
    const std::wstring& Text() const noexcept { return text_; }
    // The full path, without a closing backslash unless it is a drive's root ("C:\").
    const std::wstring& Full() const noexcept { return full_; }
    // The full path with one closing backslash, to join names to.
    std::wstring WithSeparator() const;
    // The full path as the file calls take it (OpenablePath), to make, open or ask the folder.
    std::wstring Openable() const { return OpenablePath(full_); }

    // Whether path, resolved as the file system resolves it, is this folder or lies inside it
    // ("C:\A\Device2\x" is not inside "C:\A\Device").
    bool Contains(const std::wstring& path) const;
    // path's name from the folder's top ("x64\f.sys"); none when path is not inside it or is
    // the folder itself.
    std::optional<std::wstring> RelativeName(const std::wstring& path) const;

    // The path inside the folder that a relative name names, as a package's INF or a saved
    // file's name gives it: a leading "\" is the folder's top, "." and ".." parts are resolved
    // as the file system resolves them, and the result must lie inside. Refused: empty, a
    // drive or a share of its own and anything that climbs out (Outside), a device name, a
    // stream, a path longer than rules allow.
    PathResult<PathInside> Inside(const std::wstring& relativeName, const PathRules& rules = {}) const;
    // The folder inside this one that a relative name names, under the same rules.
    PathResult<FolderPath> Folder(const std::wstring& relativeName, const PathRules& rules = {}) const;

    // Opens the file at path (a full path, as Inside gives it) for reading, shared with
    // readers, and keeps it only when the system puts the open file inside this folder as the
    // folder itself opens: a link out of it is Outside, and nothing of the outside file has
    // been read. A file that cannot be opened is NotFound or CannotOpen.
    PathResult<UniqueFileHandle> OpenInside(const std::wstring& path) const;
    // Whether the open file (or folder) lies inside this folder as the system reports both.
    bool IsOpenedInside(HANDLE file) const;

private:
    FolderPath(std::wstring text, std::wstring full) : text_(std::move(text)), full_(std::move(full)) {}
    std::wstring OpenedFolderPath() const;

    std::wstring text_;
    std::wstring full_;
    // Where the system reports the folder once opened, when it was there to be opened.
    std::wstring opened_;
};

// The full path at which the system reports an open file or folder, in the plain form ("C:\x",
// "\\server\share\x"); empty when it cannot tell.
std::wstring OpenedPathOf(HANDLE file);

// Whether name (one part of a path) names a device wherever it stands: CON, PRN, AUX, NUL,
// COM0-9 and LPT0-9 (also with the superscript digits 1 to 3), CONIN$ and CONOUT$, with any
// extension and blanks before it ("NUL.txt", "nul .txt"). Letters compare without case.
bool IsReservedDeviceName(const std::wstring& name);
