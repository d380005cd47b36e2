// TObject and class descriptors.
#include "System.h"

#include "Classes.h"
#include "SysUtils.h"

const TClass TObject::ClassInfo{"TObject", nullptr, nullptr, nullptr, 0};

void TObject::Free() {
  Destroy();
  delete this;
}

bool TClass::InheritsFrom(const TClass* other) const {
  for (const TClass* c = this; c; c = c->Parent)
    if (c == other) return true;
  return false;
}

const TPropInfo* TClass::FindProp(const String& name) const {
  for (const TClass* c = this; c; c = c->Parent)
    for (int i = 0; i < c->PropCount; ++i)
      if (SameText(c->Props[i].Name, name)) return &c->Props[i];
  return nullptr;
}

const TFieldEntry* TClass::FindField(const String& name) const {
  for (const TClass* c = this; c; c = c->Parent)
    for (int i = 0; i < c->FieldCount; ++i)
      if (SameText(c->Fields[i].Name, name)) return &c->Fields[i];
  return nullptr;
}

const TMethodEntry* TClass::FindMethod(const String& name) const {
  for (const TClass* c = this; c; c = c->Parent)
    for (int i = 0; i < c->MethodCount; ++i)
      if (SameText(c->Methods[i].Name, name)) return &c->Methods[i];
  return nullptr;
}

const TMethodEntry* TClass::FindMethodOf(TObject* Instance, const TMethodValue& method) const {
  if (!method.Code) return nullptr;
  for (const TClass* c = this; c; c = c->Parent)
    for (int i = 0; i < c->MethodCount; ++i) {
      TMethodValue m = c->Methods[i].Bind(Instance);
      if (m.Data == method.Data && m.Code == method.Code) return &c->Methods[i];
    }
  return nullptr;
}

TComponent* TClass::Create(TComponent* AOwner) const {
  if (!CreateInstance) throw EInvalidOperation(Format("Cannot create an instance of abstract class %s", Name));
  return CreateInstance(AOwner);
}
