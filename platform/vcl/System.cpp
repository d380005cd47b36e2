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

namespace {
// An entry of one of the published tables by name, the class's own first, then its parents'.
template <class T>
const T* FindPublished(const TClass* cls, const T* TClass::*table, int TClass::*count, const String& name) {
  for (const TClass* c = cls; c; c = c->Parent)
    for (int i = 0; i < c->*count; ++i)
      if (SameText((c->*table)[i].Name, name)) return &(c->*table)[i];
  return nullptr;
}
}  // namespace

const TPropInfo* TClass::FindProp(const String& name) const {
  return FindPublished(this, &TClass::Props, &TClass::PropCount, name);
}

const TFieldEntry* TClass::FindField(const String& name) const {
  return FindPublished(this, &TClass::Fields, &TClass::FieldCount, name);
}

const TMethodEntry* TClass::FindMethod(const String& name) const {
  return FindPublished(this, &TClass::Methods, &TClass::MethodCount, name);
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
