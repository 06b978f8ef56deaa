#pragma once
// Small stateless routines the installer shares: paths, system folders, form
// placement, message boxes, drive tests and the join of a split archive.
// Paths are bytes in the system code page; a backslash byte that is the
// second byte of a double-byte character never counts as a delimiter.
#include "framework/Forms.h"

#include <string>
#include <string_view>

inline constexpr char kArchiveLibraryName[] = "UNLHA32.DLL";

// Loads the archive library from the installer's folder or the system's,
// never from the current folder (a planted copy there must not be picked).
HMODULE LoadArchiveLibrary();
// Keeps the archive library loaded for the whole run; called at program start.
void PreloadArchiveLibrary();

// The folder of the running installer, with its trailing backslash.
std::string ExeFolder();
// The path with a backslash appended unless it already ends with one; "" gives "\".
std::string AddBackslash(std::string_view path);
std::string WindowsFolder();
std::string TempFolder();
// The Program Files folder from the registry; "\" when it cannot be read.
std::string ProgramFilesFolder();
// A shell special folder (CSIDL value) with its trailing backslash.
std::string SpecialFolder(int csidl);
// The current user's Start-menu Programs folder.
std::string ProgramsMenuFolder();

// Pulls a form back inside the work area, favouring its top-left corner.
void KeepFormOnScreen(TForm& form);
// Centres a form over its owner, which must be a form.
void CenterOnOwner(TForm& form);

// Message boxes with the application title as caption; the result is the
// button pressed (IDOK, IDCANCEL, IDYES, IDNO).
int ShowMessageBox(const std::string& text, UINT flags, HWND owner = nullptr);
int ShowError(const std::string& text, HWND owner = nullptr);
int ShowInformation(const std::string& text, HWND owner = nullptr);
int AskYesNo(const std::string& text, HWND owner = nullptr);

bool IsAsciiLetter(char c) noexcept;
// The root a drive test looks at: the drive part of the path plus "\"
// (C:\Games gives C:\, \\server\share\dir gives \\server\share\, and a
// path without a drive gives "\").
std::string DriveRoot(std::string_view path);
// Whether the path's drive has a readable root; never shows the system's
// drive-not-ready box.
bool IsDriveReady(const std::string& path);
// Whether the path's drive is a removable drive that the shell names as a
// floppy ("FD" or "Floppy" after the first character of its display name).
bool IsFloppyDrive(const std::string& path);

// The extension of part `part` of a split archive: ".001", ".002", ...,
// ".1000" from one thousand on.
std::string PartExtension(int part);
// Concatenates archive's parts (archive with the extensions .001, .002, ...)
// into destination\<archive's file name>, streaming through one buffer.
void JoinSplitArchive(const std::string& archive, const std::string& destination, int count);
