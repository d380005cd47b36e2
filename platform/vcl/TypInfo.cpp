// Published-property access and the names of enumerations and identifier maps.
#include "TypInfo.h"

#include "SysUtils.h"

static const char* const Boolean_Names[] = {"False", "True"};
const TTypeInfo Boolean_TypeInfo{.Kind = tkEnumeration, .Name = "Boolean", .Names = Boolean_Names, .Count = 2};

PPropInfo GetPropInfo(const TClass* cls, const String& name) { return cls ? cls->FindProp(name) : nullptr; }

PPropInfo GetPropInfo(const TObject* obj, const String& name) {
  return obj ? GetPropInfo(obj->ClassType(), name) : nullptr;
}

std::vector<PPropInfo> GetPropInfos(const TClass* cls) {
  std::vector<const TClass*> chain;
  for (const TClass* c = cls; c; c = c->Parent) chain.push_back(c);
  std::vector<PPropInfo> result;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (int i = 0; i < (*it)->PropCount; ++i) {
      PPropInfo p = &(*it)->Props[i];
      // A descendant that publishes a property again (with its own accessors or default)
      // takes its ancestor's place in the list.
      bool replaced = false;
      for (PPropInfo& q : result)
        if (SameText(q->Name, p->Name)) {
          q = p;
          replaced = true;
        }
      if (!replaced) result.push_back(p);
    }
  return result;
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

TObject* GetObjectProp(const TObject* obj, PPropInfo info) {
  if (!obj || !info || !info->GetObj) throw EPropertyError("Invalid property type");
  return info->GetObj(obj);
}

void SetObjectProp(TObject* obj, PPropInfo info, TObject* value) {
  if (!obj || !info || !info->SetObj) throw EPropertyError("Property is read-only");
  const TClass* cls = info->PropType ? info->PropType->ClassType : nullptr;
  if (value && cls && !value->InheritsFrom(cls)) throw EPropertyError("Invalid property value");
  info->SetObj(obj, value);
}

TMethodValue GetMethodProp(const TObject* obj, PPropInfo info) {
  if (!obj || !info || !info->GetMethod) throw EPropertyError("Invalid property type");
  return info->GetMethod(obj);
}

void SetMethodProp(TObject* obj, PPropInfo info, const TMethodValue& value) {
  if (!obj || !info || !info->SetMethod) throw EPropertyError("Property is read-only");
  // The original stores whatever it is given; a C++ call through a mismatched signature would
  // be undefined, so a method of another shape is refused.
  if (!info->SetMethod(obj, value)) throw EPropertyError("Invalid property value");
}

double GetFloatProp(const TObject* obj, PPropInfo info) {
  if (!obj || !info) throw EPropertyError("Invalid property type");
  if (info->GetFloat) return info->GetFloat(obj);
  if (info->GetOrd) return static_cast<double>(info->GetOrd(obj));
  throw EPropertyError("Invalid property type");
}

void SetFloatProp(TObject* obj, PPropInfo info, double value) {
  if (!obj || !info || !info->SetFloat) throw EPropertyError("Property is read-only");
  info->SetFloat(obj, value);
}

String GetEnumName(const TTypeInfo* info, Int64 value) {
  if (!info || !info->Names || value < 0 || value >= info->Count) return String();
  return info->Names[value];
}

Integer GetEnumValue(const TTypeInfo* info, const String& name) {
  if (!info || !info->Names) return -1;
  for (int i = 0; i < info->Count; ++i)
    if (SameText(info->Names[i], name)) return i;
  return -1;
}

bool IdentToInt(const TTypeInfo* info, const String& ident, Int64& value) {
  if (!info) return false;
  for (int i = 0; i < info->IdentCount; ++i)
    if (SameText(info->Idents[i].Name, ident)) {
      value = info->Idents[i].Value;
      return true;
    }
  return false;
}

bool IntToIdent(const TTypeInfo* info, Int64 value, String& ident) {
  if (!info) return false;
  for (int i = 0; i < info->IdentCount; ++i)
    if (info->Idents[i].Value == value) {
      ident = info->Idents[i].Name;
      return true;
    }
  return false;
}
