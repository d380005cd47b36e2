// The registry: predefined root keys, keys and typed values behind the advapi32 calls,
// kept in one per-user store file that survives restarts.
#pragma once

#include <string>

#include "Windows.h"

using REGSAM = DWORD;

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
constexpr HKEY HKEY_USERS = 0x80000003;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;

constexpr DWORD REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3, REG_DWORD = 4;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001, KEY_SET_VALUE = 0x0002, KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008, KEY_NOTIFY = 0x0010;
constexpr REGSAM STANDARD_RIGHTS_READ = 0x00020000;
constexpr REGSAM KEY_READ = 0x00020019, KEY_WRITE = 0x00020006, KEY_ALL_ACCESS = 0x000F003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0, REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1, REG_OPENED_EXISTING_KEY = 2;

constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_REGISTRY_IO_FAILED = 1016;
constexpr DWORD ERROR_KEY_DELETED = 1018;

// Every call returns its error code directly (ERROR_SUCCESS on success); none sets the last
// error. Names are compared without regard to case and keep the case they were created with.
// Every successful change is saved to the store file before the call returns, so RegFlushKey
// and RegCloseKey have nothing left to write. A change that cannot be saved still succeeds and
// stays in memory, as it would in a registry hive that cannot be flushed; the user is told
// once. Several processes may share one store file: a change merges what the others saved
// first, and opening a key sees what they saved before it. Volatile keys are not supported
// (ERROR_INVALID_PARAMETER).
LONG RegCreateKeyEx(HKEY hKey, const char* lpSubKey, DWORD Reserved, const char* lpClass, DWORD dwOptions,
                    REGSAM samDesired, const void* lpSecurityAttributes, HKEY* phkResult,
                    DWORD* lpdwDisposition);
LONG RegOpenKeyEx(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult);
LONG RegCloseKey(HKEY hKey);
LONG RegFlushKey(HKEY hKey);
LONG RegQueryValueEx(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                     DWORD* lpcbData);
LONG RegSetValueEx(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                   DWORD cbData);
LONG RegDeleteValue(HKEY hKey, const char* lpValueName);
// Deletes a key that has no subkeys; handles still open on it then fail with ERROR_KEY_DELETED.
LONG RegDeleteKey(HKEY hKey, const char* lpSubKey);
// Subkeys are enumerated in name order, values in the order they were created. Name sizes
// are in characters: the buffer size including the NUL going in, the length without it
// coming out.
LONG RegEnumKeyEx(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved, char* lpClass,
                  DWORD* lpcchClass, void* lpftLastWriteTime);
LONG RegEnumValue(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                  DWORD* lpType, BYTE* lpData, DWORD* lpcbData);

// ---- the store file (host and test support) -------------------------------------------
// The file is chosen, in this order, by SetRegistryStorePath, the BRISK_REGISTRY variable,
// $XDG_CONFIG_HOME/brisk-ide/registry.dat, then ~/.config/brisk-ide/registry.dat. Setting
// the path (the same one included) closes every open key and drops the keys in memory; the
// next call loads them from the file, as a restarted process would. An empty path goes
// back to the environment's choice.
void SetRegistryStorePath(const std::string& path);
std::string GetRegistryStorePath();
// What the store last found wrong with its file (damage it recovered from, a file it cannot
// read), or "" while all went cleanly since it was opened. The user is told each such finding
// in a message box, as well as the first change in a session that cannot be saved.
std::string GetRegistryLoadError();
// Keys opened with RegOpenKeyEx/RegCreateKeyEx and not yet closed, for leak checks.
int GetOpenRegistryKeyCount();
