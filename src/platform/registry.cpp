#include "platform/registry.h"

#include "platform/module.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>

struct RegistryKeyHandle {
    std::string path; // normalised: lower case, levels joined by single "\"
};

namespace {

const char* const INSTALL_KEY = "SOFTWARE\\Kestrovalian\\Amber Threshold";
const char* const INSTALL_VALUE = "InstallDir";

RegistryKeyHandle g_localMachine{""};

struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

struct Store {
    std::mutex mutex;
    // Every existing key by normalised path; the root is the empty path.
    std::map<std::string, std::map<std::string, Value>> keys;
    std::set<const RegistryKeyHandle*> openHandles;
};

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

std::string normalisedPath(const std::string& path) {
    std::string result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            if (!result.empty()) {
                result += '\\';
            }
            result += lowerCase(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return result;
}

std::string joined(const std::string& parent, const std::string& child) {
    if (parent.empty()) {
        return child;
    }
    return child.empty() ? parent : parent + "\\" + child;
}

// Caller holds the lock.
void createKey(Store& store, const std::string& normalised) {
    store.keys[""];
    std::size_t pos = 0;
    while ((pos = normalised.find('\\', pos)) != std::string::npos) {
        store.keys[normalised.substr(0, pos)];
        ++pos;
    }
    store.keys[normalised];
}

// Caller holds the lock.
void seed(Store& store) {
    store.keys.clear();
    const std::string key = normalisedPath(INSTALL_KEY);
    createKey(store, key);
    const std::string& folder = moduleFolder();
    if (!folder.empty()) {
        Value value;
        value.type = REG_SZ;
        value.bytes.assign(folder.begin(), folder.end());
        value.bytes.push_back(0);
        store.keys[key][lowerCase(INSTALL_VALUE)] = value;
    }
}

Store& store() {
    static Store* instance = [] {
        // Never destroyed: handles may be closed by static destructors of
        // other units after this one's would have run.
        auto* created = new Store;
        seed(*created);
        return created;
    }();
    return *instance;
}

bool isOpen(const Store& s, HKEY key) {
    return key == HKEY_LOCAL_MACHINE || s.openHandles.count(key) != 0;
}

} // namespace

const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM /*samDesired*/,
                   PHKEY phkResult) {
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!isOpen(s, hKey)) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string path =
        joined(hKey->path, normalisedPath(lpSubKey != nullptr ? lpSubKey : ""));
    if (s.keys.count(path) == 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    auto handle = std::make_unique<RegistryKeyHandle>();
    handle->path = path;
    s.openHandles.insert(handle.get());
    *phkResult = handle.release();
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!isOpen(s, hKey)) {
        return ERROR_INVALID_HANDLE;
    }
    const auto key = s.keys.find(hKey->path);
    if (key == s.keys.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const auto value = key->second.find(lowerCase(lpValueName != nullptr ? lpValueName : ""));
    if (value == key->second.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (lpType != nullptr) {
        *lpType = value->second.type;
    }
    const auto size = static_cast<DWORD>(value->second.bytes.size());
    if (lpcbData == nullptr) {
        return ERROR_SUCCESS;
    }
    if (lpData != nullptr && size > *lpcbData) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData != nullptr && size > 0) {
        std::memcpy(lpData, value->second.bytes.data(), size);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.openHandles.erase(hKey) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    delete hKey;
    return ERROR_SUCCESS;
}

namespace registry_test {

void setKey(const std::string& keyPath) {
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    createKey(s, normalisedPath(keyPath));
}

void setValue(const std::string& keyPath, const std::string& valueName, DWORD type,
              const std::vector<BYTE>& bytes) {
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    const std::string path = normalisedPath(keyPath);
    createKey(s, path);
    s.keys[path][lowerCase(valueName)] = Value{type, bytes};
}

void setString(const std::string& keyPath, const std::string& valueName, const std::string& text) {
    std::vector<BYTE> bytes(text.begin(), text.end());
    bytes.push_back(0);
    setValue(keyPath, valueName, REG_SZ, bytes);
}

bool deleteValue(const std::string& keyPath, const std::string& valueName) {
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    const auto key = s.keys.find(normalisedPath(keyPath));
    return key != s.keys.end() && key->second.erase(lowerCase(valueName)) != 0;
}

bool deleteKey(const std::string& keyPath) {
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    const std::string path = normalisedPath(keyPath);
    if (path.empty() || s.keys.erase(path) == 0) {
        return false;
    }
    const std::string prefix = path + "\\";
    for (auto it = s.keys.lower_bound(prefix);
         it != s.keys.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
        it = s.keys.erase(it);
    }
    return true;
}

void reset() {
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    seed(s);
}

} // namespace registry_test
