#pragma once
// UNLHA32.DLL: extracts an LHA archive into a folder, for the installer.
//
//   int WINAPI Unlha(HWND window, LPCSTR command, LPSTR output, DWORD outputSize);
//
// Command line:  x [-+] archive folder
//   x        extracts every member, with its stored sub-folders, into `folder`.
//   -+       unattended: every question an extraction raises is answered "yes":
//            a missing target folder (and its missing parents) is created, and
//            existing files are replaced, read-only ones included. Without -+
//            the answer is "no": a missing target folder fails the call before
//            anything is written, and an existing file is kept while its member
//            counts as failed. The library never prompts either way.
// Arguments are separated by blanks; double quotes group text with blanks
// ("C:\Program Files\Game\"). A backslash is an ordinary character, so a
// quoted folder may end with one. Switches may stand anywhere after the
// command; a quoted argument is never a switch. The command letter is case-
// insensitive. Paths and member names are bytes in the ANSI code page.
//
// Member names never lead outside `folder`. Renamed inside it: leading
// separators (so "\\server\share\x" lands in server\share\x), a drive
// letter ("C:"), "." and ".." that stay inside, '\' in a level-2/3 name (taken
// as a separator), ':' (alternate data streams) and characters Windows
// refuses (each becomes '_'), trailing dots and spaces, device names (CON,
// NUL, COM1... get a '_' prefix). Refused (the member is skipped and the call
// fails): ".." that climbs above the folder, symbolic links, file entries
// without a name.
//
// A member is written to a temporary file beside its final name and takes
// that name only once its length and CRC-16 are verified, with the stored
// modification time (creation and access times when stored) and the read-only
// and hidden attributes. A member that fails leaves no file behind and an
// older file of that name untouched; the other members are still extracted.
//
// While it works, Unlha shows a progress window owned by `window` (when that
// is a window) once the work has taken half a second, with a Cancel button.
// The calling thread's messages are dispatched meanwhile.
//
// `output` (may be null) receives a one-line result text, NUL-terminated and
// cut to `outputSize` bytes.
#include <windows.h>

enum UnlhaResult : int {
    UNLHA_OK = 0,
    UNLHA_BAD_COMMAND = 1,    // unknown command or switch, missing or extra argument
    UNLHA_ARCHIVE_ERROR = 2,  // the archive cannot be opened or read, or is not an LHA archive
    UNLHA_FOLDER_ERROR = 3,   // the target folder is missing (without -+) or cannot be created
    UNLHA_MEMBER_ERROR = 4,   // a member was not extracted: damaged data, refused name, write failure
    UNLHA_CANCELLED = 5,      // the user pressed Cancel
    UNLHA_INTERNAL_ERROR = 6, // anything else (out of memory, no thread)
};

// The export is named plainly "Unlha" in both builds (no "@16").
using UnlhaFunction = int(WINAPI*)(HWND window, LPCSTR command, LPSTR output, DWORD outputSize);
