// TRegistry: the class library's object over one open registry key, with the original's
// path rules, read conversions and error messages.
#pragma once

#include "../win/WinReg.h"
#include "SysUtils.h"
#include "System.h"

DECLARE_EXCEPTION(ERegistryException, Exception)

enum TRegDataType : uint8_t { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  Integer DataSize = 0;
};

class TRegistry : public TObject {
  DECLARE_CLASS(TRegistry, TObject)
 public:
  TRegistry() = default;
  void Destroy() override;

  HKEY GetRootKey() const { return FRootKey; }
  // A different root closes the current key.
  void SetRootKey(HKEY Value);
  HKEY GetCurrentKey() const { return FCurrentKey; }
  const String& GetCurrentPath() const { return FCurrentPath; }
  bool GetLazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool Value) { FLazyWrite = Value; }

  // Never raises. "\A\B" is taken from the root key, "A\B" from the current key (or the
  // root when none is open). On failure the current key stays open and current.
  bool OpenKey(const String& Key, bool CanCreate);
  void CloseKey();
  // Raises ERegistryException "Failed to create key %s" when the key cannot be created.
  bool CreateKey(const String& Key);
  bool KeyExists(const String& Key);

  bool ValueExists(const String& Name);
  bool DeleteValue(const String& Name);
  bool GetDataInfo(const String& ValueName, TRegDataInfo& Value);
  Integer GetDataSize(const String& ValueName);  // -1 for a missing value
  TRegDataType GetDataType(const String& ValueName);

  // A missing or empty value reads as ''; a value of another type raises.
  String ReadString(const String& Name);
  // A missing value, or one larger than 4 bytes, raises "Failed to get data for '%s'";
  // a 4-byte-or-smaller value of another type raises "Invalid data type for '%s'".
  Integer ReadInteger(const String& Name);
  bool ReadBool(const String& Name);  // ReadInteger <> 0
  void WriteString(const String& Name, const String& Value);  // REG_SZ with its NUL
  void WriteInteger(const String& Name, Integer Value);      // REG_DWORD
  void WriteBool(const String& Name, bool Value);            // REG_DWORD 0 or 1

 private:
  HKEY GetBaseKey(bool Relative) const;
  void ChangeKey(HKEY Value, const String& Path);
  Integer GetData(const String& Name, void* Buffer, DWORD BufSize, TRegDataType& RegData);
  void PutData(const String& Name, const void* Buffer, DWORD BufSize, TRegDataType RegData);

  HKEY FRootKey = HKEY_CURRENT_USER;
  HKEY FCurrentKey = 0;
  String FCurrentPath;
  bool FLazyWrite = true;
  REGSAM FAccess = KEY_ALL_ACCESS;
};
