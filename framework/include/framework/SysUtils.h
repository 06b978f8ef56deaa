#pragma once
// Errors and string routines shared by every program of the project. Strings
// are bytes in the system's ANSI code page, which may be double-byte: the
// path routines never take the second byte of a double-byte character for
// a delimiter.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// The base of every error the project raises; the message is what the user sees.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A failing system call; the message is the system's text for the code.
class EOSError : public Exception {
public:
    explicit EOSError(DWORD code);
    EOSError(DWORD code, std::string message) : Exception(std::move(message)), code_(code) {}
    DWORD ErrorCode() const noexcept { return code_; }

private:
    DWORD code_;
};

// A failing COM call; the message is the system's text for the result code.
class EOleSysError : public Exception {
public:
    explicit EOleSysError(HRESULT hr);
    HRESULT ErrorCode() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Out of memory") {}
};
class EInvalidCast : public Exception {
public:
    EInvalidCast() : Exception("Invalid class typecast") {}
};
class EInvalidOperation : public Exception {
    using Exception::Exception;
};
class EListError : public Exception {
    using Exception::Exception;
};

// The system's message text for an error code, without trailing line breaks.
std::string SysErrorMessage(DWORD code);

// Delphi-style integer parsing: optional leading blanks, a sign, decimal or
// hexadecimal after "$", "0x" or "0X"; anything else (including overflow of
// a signed 32-bit value) is not an integer.
std::optional<std::int32_t> TryStrToInt(std::string_view text);
std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

// True when byte `index` of `s` is a backslash that stands as a character of
// its own (not the trail byte of a double-byte character).
bool IsPathDelimiter(std::string_view s, std::size_t index);
// Index of the last single-byte character of `s` that appears in `chars`, or npos.
std::size_t LastDelimiter(std::string_view chars, std::string_view s);
// The folder part of a path, up to and including its last backslash or colon.
std::string ExtractFilePath(std::string_view path);
// The file name part of a path, after its last backslash or colon.
std::string ExtractFileName(std::string_view path);
// The path with its extension (from the last dot of the file name) replaced.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// True when `path` names an existing directory.
bool DirectoryExists(const std::string& path);
// True when `path` names an existing file (not a directory).
bool FileExists(const std::string& path);
// Creates a folder with its missing parents; true when it exists afterwards.
bool ForceDirectories(std::string path);
