#include "framework/Registry.h"

#include <cstring>
#include <vector>

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
    CloseKey();
    HKEY key = nullptr;
    LONG rc;
    if (canCreate) {
        rc = RegCreateKeyExA(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr, &key,
                             nullptr);
    } else {
        rc = RegOpenKeyExA(root_, path.c_str(), 0, access_, &key);
    }
    if (rc != ERROR_SUCCESS) return false;
    key_.reset(key);
    return true;
}

std::optional<DWORD> TRegistry::DataType(const std::string& name) const {
    DWORD type = 0;
    if (!key_ || RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return type;
}

std::optional<std::string> TRegistry::QueryRaw(const std::string& name, DWORD& type) const {
    if (!key_) return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string data(size, '\0');
    if (size && RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                 &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return data;
}

std::string TRegistry::ReadString(const std::string& name) const {
    DWORD type = 0;
    const auto raw = QueryRaw(name, type);
    if (!raw) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for '" + name + "'");
    return raw->substr(0, raw->find('\0'));
}

std::int32_t TRegistry::ReadInteger(const std::string& name) const {
    DWORD type = 0;
    const auto raw = QueryRaw(name, type);
    if (!raw || type != REG_DWORD || raw->size() < sizeof(DWORD))
        throw ERegistryException("Invalid data type for '" + name + "'");
    DWORD value = 0;
    std::memcpy(&value, raw->data(), sizeof value);
    return static_cast<std::int32_t>(value);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    const LONG rc = key_ ? RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(value.c_str()),
                                          static_cast<DWORD>(value.size() + 1))
                         : ERROR_INVALID_HANDLE;
    if (rc != ERROR_SUCCESS) throw ERegistryException("Failed to set data for '" + name + "'");
}

bool TRegistry::DeleteKey(const std::string& path) {
    fw::RegKey key;
    if (RegOpenKeyExA(root_, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS) {
        // Sub-keys first: the plain delete refuses a key that still has some.
        std::vector<std::string> children;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof name;
            if (RegEnumKeyExA(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, len);
        }
        key.reset();
        for (const auto& child : children) DeleteKey(path + "\\" + child);
    }
    return RegDeleteKeyA(root_, path.c_str()) == ERROR_SUCCESS;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    char buffer[2048];
    const DWORD len = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, sizeof buffer,
                                               fileName_.c_str());
    return std::string(buffer, len);
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback) const {
    const std::string text = ReadString(section, key, "");
    return text.empty() ? fallback : StrToIntDef(text, fallback);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str()))
        throw EIniFileException("Unable to write to " + fileName_);
}
