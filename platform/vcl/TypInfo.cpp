// Published-property access.
#include "TypInfo.h"

#include "SysUtils.h"

PPropInfo GetPropInfo(const TClass* cls, const String& name) { return cls ? cls->FindProp(name) : nullptr; }

PPropInfo GetPropInfo(const TObject* obj, const String& name) {
  return obj ? GetPropInfo(obj->ClassType(), name) : nullptr;
}

Int64 GetOrdProp(const TObject* obj, PPropInfo info) {
  if (!obj || !info || !info->GetOrd) throw EPropertyError("Invalid property type");
  return info->GetOrd(obj);
}

void SetOrdProp(TObject* obj, PPropInfo info, Int64 value) {
  if (!obj || !info || !info->SetOrd) throw EPropertyError("Property is read-only");
  info->SetOrd(obj, value);
}

String GetStrProp(const TObject* obj, PPropInfo info) {
  if (!obj || !info) throw EPropertyError("Invalid property type");
  if (info->GetStr) return info->GetStr(obj);
  if (info->GetOrd) return IntToStr(info->GetOrd(obj));
  throw EPropertyError("Invalid property type");
}

void SetStrProp(TObject* obj, PPropInfo info, const String& value) {
  if (!obj || !info || !info->SetStr) throw EPropertyError("Property is read-only");
  info->SetStr(obj, value);
}
