#pragma once
// The few registry calls the sound engine makes to find its installation,
// with the Windows names and results, over an in-process
// HKEY_LOCAL_MACHINE. The store is seeded once with the key
// "SOFTWARE\Kestrovalian\Amber Threshold" holding "InstallDir" = the folder
// of the loaded module (see module.h), stored with its terminating NUL.
// Key paths and value names compare without regard to ASCII case, as on
// Windows; "\" separates the levels of a key path.
//
// Every function here is safe to call from any thread (one internal lock),
// and none of them belongs on the audio thread.

#include <cstdint>
#include <string>
#include <vector>

using LONG = std::int32_t;
using DWORD = std::uint32_t;
using REGSAM = DWORD;
using BYTE = unsigned char;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPCSTR = const char*;
struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;
using PHKEY = HKEY*;

// The predefined root. Always open; RegCloseKey on it does nothing.
extern const HKEY HKEY_LOCAL_MACHINE;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;

// Opens the key subKey below hKey and hands out a new handle in *phkResult.
// ERROR_FILE_NOT_FOUND (and *phkResult null) when the key does not exist,
// ERROR_INVALID_HANDLE for a handle that is not open. A null or empty subKey
// opens the same key again. Options and access mask are accepted as given.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

// Reads the value lpValueName (null or "" = the key's default value) of an open
// key. *lpcbData holds the buffer size on entry and the value's size in bytes
// on return. ERROR_FILE_NOT_FOUND when there is no such value;
// ERROR_MORE_DATA when the buffer is too small (nothing copied, *lpcbData =
// the size needed); with a null lpData only the size is reported.
// lpReserved must be null; lpType, when given, receives the value's type.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);

// Closes a handle from RegOpenKeyExA. ERROR_INVALID_HANDLE for one that is
// not open.
LONG RegCloseKey(HKEY hKey);

// Test calls: change the in-process store. A handle stays valid when its key
// is deleted; queries through it then find no values.
namespace registry_test {

// Creates the key (with every missing level above it); existing keys stay.
void setKey(const std::string& keyPath);
// Creates or replaces a value with exactly the given bytes; creates the key.
void setValue(const std::string& keyPath, const std::string& valueName, DWORD type,
              const std::vector<BYTE>& bytes);
// Creates or replaces a REG_SZ value: the text and one terminating NUL.
void setString(const std::string& keyPath, const std::string& valueName, const std::string& text);
// Removes a value; false when it did not exist.
bool deleteValue(const std::string& keyPath, const std::string& valueName);
// Removes a key and every key below it; false when it did not exist.
bool deleteKey(const std::string& keyPath);
// Puts the store back into its seeded state.
void reset();

} // namespace registry_test
