// TRegistry over the registry calls.
#include "Registry.h"

IMPLEMENT_CLASS(TRegistry, TObject)

namespace {

bool IsRelative(const String& Key) { return Key.empty() || Key[0] != '\\'; }

TRegDataType DataTypeToRegData(DWORD Type) {
  switch (Type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

DWORD RegDataToDataType(TRegDataType Value) {
  switch (Value) {
    case rdString: return REG_SZ;
    case rdExpandString: return REG_EXPAND_SZ;
    case rdInteger: return REG_DWORD;
    case rdBinary: return REG_BINARY;
    default: return REG_NONE;
  }
}

[[noreturn]] void ReadError(const String& Name) {
  throw ERegistryException(Format("Invalid data type for '%s'", Name.c_str()));
}

}  // namespace

void TRegistry::Destroy() {
  CloseKey();
  inherited::Destroy();
}

void TRegistry::SetRootKey(HKEY Value) {
  if (FRootKey == Value) return;
  FRootKey = Value;
  CloseKey();
}

HKEY TRegistry::GetBaseKey(bool Relative) const {
  return (FCurrentKey == 0 || !Relative) ? FRootKey : FCurrentKey;
}

void TRegistry::ChangeKey(HKEY Value, const String& Path) {
  CloseKey();
  FCurrentKey = Value;
  FCurrentPath = Path;
}

bool TRegistry::OpenKey(const String& Key, bool CanCreate) {
  String S = Key;
  bool Relative = IsRelative(S);
  if (!Relative) S.erase(0, 1);
  HKEY TempKey = 0;
  bool Result;
  if (!CanCreate || S.empty()) {
    Result = RegOpenKeyEx(GetBaseKey(Relative), S.c_str(), 0, FAccess, &TempKey) == ERROR_SUCCESS;
  } else {
    DWORD Disposition = 0;
    Result = RegCreateKeyEx(GetBaseKey(Relative), S.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess,
                            nullptr, &TempKey, &Disposition) == ERROR_SUCCESS;
  }
  if (Result) {
    if (FCurrentKey != 0 && Relative) S = FCurrentPath + '\\' + S;
    ChangeKey(TempKey, S);
  }
  return Result;
}

void TRegistry::CloseKey() {
  if (FCurrentKey == 0) return;
  // Without lazy writing the original only flushed here and left the key open, leaking it;
  // flushing and then closing keeps the meaning without the leak.
  if (!FLazyWrite) RegFlushKey(FCurrentKey);
  RegCloseKey(FCurrentKey);
  FCurrentKey = 0;
  FCurrentPath.clear();
}

bool TRegistry::CreateKey(const String& Key) {
  String S = Key;
  bool Relative = IsRelative(S);
  if (!Relative) S.erase(0, 1);
  HKEY TempKey = 0;
  DWORD Disposition = 0;
  if (RegCreateKeyEx(GetBaseKey(Relative), S.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr,
                     &TempKey, &Disposition) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to create key %s", Key.c_str()));
  RegCloseKey(TempKey);
  return true;
}

bool TRegistry::KeyExists(const String& Key) {
  String S = Key;
  bool Relative = IsRelative(S);
  if (!Relative) S.erase(0, 1);
  HKEY TempKey = 0;
  if (RegOpenKeyEx(GetBaseKey(Relative), S.c_str(), 0, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE |
                   KEY_ENUMERATE_SUB_KEYS, &TempKey) != ERROR_SUCCESS)
    return false;
  RegCloseKey(TempKey);
  return true;
}

bool TRegistry::GetDataInfo(const String& ValueName, TRegDataInfo& Value) {
  Value = TRegDataInfo{};
  DWORD DataType = REG_NONE;
  DWORD DataSize = 0;
  bool Result = RegQueryValueEx(FCurrentKey, ValueName.c_str(), nullptr, &DataType, nullptr, &DataSize) ==
                ERROR_SUCCESS;
  Value.RegData = DataTypeToRegData(DataType);
  Value.DataSize = static_cast<Integer>(DataSize);
  return Result;
}

bool TRegistry::ValueExists(const String& Name) {
  TRegDataInfo Info;
  return GetDataInfo(Name, Info);
}

Integer TRegistry::GetDataSize(const String& ValueName) {
  TRegDataInfo Info;
  return GetDataInfo(ValueName, Info) ? Info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const String& ValueName) {
  TRegDataInfo Info;
  return GetDataInfo(ValueName, Info) ? Info.RegData : rdUnknown;
}

bool TRegistry::DeleteValue(const String& Name) {
  return RegDeleteValue(FCurrentKey, Name.c_str()) == ERROR_SUCCESS;
}

Integer TRegistry::GetData(const String& Name, void* Buffer, DWORD BufSize, TRegDataType& RegData) {
  DWORD DataType = REG_NONE;
  if (RegQueryValueEx(FCurrentKey, Name.c_str(), nullptr, &DataType, static_cast<BYTE*>(Buffer), &BufSize) !=
      ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to get data for '%s'", Name.c_str()));
  RegData = DataTypeToRegData(DataType);
  return static_cast<Integer>(BufSize);
}

void TRegistry::PutData(const String& Name, const void* Buffer, DWORD BufSize, TRegDataType RegData) {
  if (RegSetValueEx(FCurrentKey, Name.c_str(), 0, RegDataToDataType(RegData), static_cast<const BYTE*>(Buffer),
                    BufSize) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to set data for '%s'", Name.c_str()));
}

String TRegistry::ReadString(const String& Name) {
  Integer Len = GetDataSize(Name);
  if (Len <= 0) return String();
  String Result(static_cast<size_t>(Len), '\0');
  TRegDataType RegData = rdUnknown;
  GetData(Name, Result.data(), static_cast<DWORD>(Len), RegData);
  if (RegData != rdString && RegData != rdExpandString) ReadError(Name);
  Result.resize(Result.find('\0') == String::npos ? Result.size() : Result.find('\0'));
  return Result;
}

Integer TRegistry::ReadInteger(const String& Name) {
  // A short value fills only the low bytes, as the original's 4-byte buffer does.
  uint8_t Buffer[4] = {0, 0, 0, 0};
  TRegDataType RegData = rdUnknown;
  GetData(Name, Buffer, sizeof Buffer, RegData);
  if (RegData != rdInteger) ReadError(Name);
  return static_cast<Integer>(uint32_t(Buffer[0]) | uint32_t(Buffer[1]) << 8 | uint32_t(Buffer[2]) << 16 |
                              uint32_t(Buffer[3]) << 24);
}

bool TRegistry::ReadBool(const String& Name) { return ReadInteger(Name) != 0; }

void TRegistry::WriteString(const String& Name, const String& Value) {
  PutData(Name, Value.c_str(), static_cast<DWORD>(Value.size() + 1), rdString);
}

void TRegistry::WriteInteger(const String& Name, Integer Value) {
  uint32_t U = static_cast<uint32_t>(Value);
  const uint8_t Buffer[4] = {uint8_t(U), uint8_t(U >> 8), uint8_t(U >> 16), uint8_t(U >> 24)};
  PutData(Name, Buffer, sizeof Buffer, rdInteger);
}

void TRegistry::WriteBool(const String& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }
