#pragma once
// The registry and INI files, with the error texts the user may see.
#include "framework/Handles.h"
#include "framework/SysUtils.h"

#include <cstdint>
#include <optional>
#include <string>

class ERegistryException : public Exception {
    using Exception::Exception;
};
class EIniFileException : public Exception {
    using Exception::Exception;
};

// One open key at a time under a root, opened with full access by default.
class TRegistry {
public:
    explicit TRegistry(HKEY root = HKEY_CURRENT_USER, REGSAM access = KEY_ALL_ACCESS) noexcept
        : root_(root), access_(access) {}

    HKEY RootKey() const noexcept { return root_; }
    // Opens `path` under the root, creating it when `canCreate`; false on failure.
    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey() noexcept { key_.reset(); }
    bool HasOpenKey() const noexcept { return static_cast<bool>(key_); }

    // The type of a value of the open key, or nothing when it is absent.
    std::optional<DWORD> DataType(const std::string& name) const;
    bool ValueExists(const std::string& name) const { return DataType(name).has_value(); }
    // A string value (REG_SZ or REG_EXPAND_SZ, not expanded), up to its first
    // NUL; empty when absent; ERegistryException for any other type.
    std::string ReadString(const std::string& name) const;
    // A REG_DWORD value; ERegistryException when absent or of another type.
    std::int32_t ReadInteger(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    // Deletes a key of the root with all its sub-keys; false when it failed.
    bool DeleteKey(const std::string& path);

private:
    std::optional<std::string> QueryRaw(const std::string& name, DWORD& type) const;

    HKEY root_;
    REGSAM access_;
    fw::RegKey key_;
};

// A private-profile (INI) file read and written through the system calls.
class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const noexcept { return fileName_; }
    // Up to 2,047 characters of the value, or `fallback` when it is absent.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback) const;
    // Writes one key at once; EIniFileException naming the file when it fails.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string fileName_;
};
