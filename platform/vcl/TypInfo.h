// Run-time type information: published properties looked up by name, the types behind them
// (enumeration names, sets, identifier maps, object and event properties), and the entries
// that publish them.
#pragma once

#include <vector>

#include "System.h"

using PPropInfo = const TPropInfo*;

// A name that stands for an integer value in form files (clBtnFace, crHandPoint,
// DEFAULT_CHARSET).
struct TIdentMapEntry {
  Int64 Value;
  const char* Name;
};

struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  const char* Name = nullptr;
  const char* const* Names = nullptr;  // tkEnumeration: the values' names, value 0 first
  int Count = 0;
  const TTypeInfo* CompType = nullptr;    // tkSet: the element type
  const TIdentMapEntry* Idents = nullptr;  // tkInteger: names standing for values
  int IdentCount = 0;
  const TClass* ClassType = nullptr;          // tkClass
  const std::type_info* Signature = nullptr;  // tkMethod
};

// The property of that name published by the class or a parent (case-insensitive), or null.
PPropInfo GetPropInfo(const TClass* cls, const String& name);
PPropInfo GetPropInfo(const TObject* obj, const String& name);
// Every published property of the class, the root ancestor's first, each class's in the
// order it publishes them; a property a descendant publishes again is listed once, where its
// first publisher put it.
std::vector<PPropInfo> GetPropInfos(const TClass* cls);
// Reads an ordinal property; raises EPropertyError for a non-ordinal or write-only one.
Int64 GetOrdProp(const TObject* obj, PPropInfo info);
void SetOrdProp(TObject* obj, PPropInfo info, Int64 value);
String GetStrProp(const TObject* obj, PPropInfo info);
void SetStrProp(TObject* obj, PPropInfo info, const String& value);
TObject* GetObjectProp(const TObject* obj, PPropInfo info);
void SetObjectProp(TObject* obj, PPropInfo info, TObject* value);
TMethodValue GetMethodProp(const TObject* obj, PPropInfo info);
void SetMethodProp(TObject* obj, PPropInfo info, const TMethodValue& value);
double GetFloatProp(const TObject* obj, PPropInfo info);
void SetFloatProp(TObject* obj, PPropInfo info, double value);

// Enumeration names: the value's name ("" out of range), and the value of a name
// (case-insensitive), or -1.
String GetEnumName(const TTypeInfo* info, Int64 value);
Integer GetEnumValue(const TTypeInfo* info, const String& name);
// Identifier maps: the value of a name or the name of a value; false when there is none.
bool IdentToInt(const TTypeInfo* info, const String& ident, Int64& value);
bool IntToIdent(const TTypeInfo* info, Int64 value, String& ident);

// ---- type information of enumerations, sets, classes and events --------------------------

// Declares E's type information in a header: DECLARE_ENUM_INFO(TAlign).
#define DECLARE_ENUM_INFO(E)          \
  extern const TTypeInfo E##_TypeInfo; \
  constexpr const TTypeInfo* TypeInfoOf(const E*) { return &E##_TypeInfo; }
// Defines it in one source file, with the values' names in order.
#define IMPLEMENT_ENUM_INFO(E, ...)                                           \
  static const char* const E##_Names[] = {__VA_ARGS__};                      \
  const TTypeInfo E##_TypeInfo{.Kind = tkEnumeration, .Name = #E, .Names = E##_Names, \
                               .Count = static_cast<int>(sizeof(E##_Names) / sizeof(E##_Names[0]))};

extern const TTypeInfo Boolean_TypeInfo;
constexpr const TTypeInfo* TypeInfoOf(const bool*) { return &Boolean_TypeInfo; }

template <class E, unsigned N>
inline constexpr TTypeInfo SetTypeInfo{.Kind = tkSet, .Name = "set", .CompType = TypeInfoOf(static_cast<const E*>(nullptr))};
template <class E, unsigned N>
constexpr const TTypeInfo* TypeInfoOf(const TSet<E, N>*) { return &SetTypeInfo<E, N>; }

template <class C>
inline constexpr TTypeInfo ClassTypeInfo{.Kind = tkClass, .Name = "class", .ClassType = &C::ClassInfo};

template <class Sig>
inline const TTypeInfo MethodTypeInfo{.Kind = tkMethod, .Name = "method", .Signature = &typeid(Sig)};
template <class Sig>
const TTypeInfo* MethodTypeInfoOf(const TMethod<Sig>*) { return &MethodTypeInfo<Sig>; }

// ---- entries of published properties -------------------------------------------------------
// Each names the class, the property and its accessors; ordinal ones may give a default,
// which a writer leaves out.

#define BRISK_SELF(Cls) static_cast<const Cls*>(o)
#define BRISK_TYPE_OF(Cls, Getter) std::remove_cvref_t<decltype(std::declval<const Cls&>().Getter())>

// An integer; Default may be NoDefault.
#define PUBLISHED_INT_DEFAULT(Cls, PropName, Getter, Setter, Def)                                     \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkInteger,                                                             \
    .GetOrd = [](const TObject* o) -> Int64 { return BRISK_SELF(Cls)->Getter(); },                   \
    .SetOrd = [](TObject* o, Int64 v) { static_cast<Cls*>(o)->Setter(static_cast<BRISK_TYPE_OF(Cls, Getter)>(v)); }, \
    .GetStr = nullptr, .SetStr = nullptr, .Default = Def                                             \
  }
// An integer stored only when IsStoredFn(self) says so.
#define PUBLISHED_INT_STORED(Cls, PropName, Getter, Setter, IsStoredFn)                                \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkInteger,                                                             \
    .GetOrd = [](const TObject* o) -> Int64 { return BRISK_SELF(Cls)->Getter(); },                   \
    .SetOrd = [](TObject* o, Int64 v) { static_cast<Cls*>(o)->Setter(static_cast<BRISK_TYPE_OF(Cls, Getter)>(v)); }, \
    .GetStr = nullptr, .SetStr = nullptr,                                                            \
    .IsStored = [](const TObject* o) -> bool { return IsStoredFn(BRISK_SELF(Cls)); }                 \
  }
// An integer that names may stand for (colours, cursors, character sets).
#define PUBLISHED_IDENT_INT(Cls, PropName, Getter, Setter, TypeInfoPtr, Def)                          \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkInteger,                                                             \
    .GetOrd = [](const TObject* o) -> Int64 { return BRISK_SELF(Cls)->Getter(); },                   \
    .SetOrd = [](TObject* o, Int64 v) { static_cast<Cls*>(o)->Setter(static_cast<BRISK_TYPE_OF(Cls, Getter)>(v)); }, \
    .GetStr = nullptr, .SetStr = nullptr, .PropType = TypeInfoPtr, .Default = Def                    \
  }
// An integer held in a public field.
#define PUBLISHED_INT_FIELD(Cls, PropName, Field, Def)                                                \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkInteger,                                                             \
    .GetOrd = [](const TObject* o) -> Int64 { return BRISK_SELF(Cls)->Field; },                      \
    .SetOrd = [](TObject* o, Int64 v) { static_cast<Cls*>(o)->Field = static_cast<decltype(Cls::Field)>(v); }, \
    .GetStr = nullptr, .SetStr = nullptr, .Default = Def                                             \
  }
// An enumeration or a Boolean; the getter's type names it.
#define PUBLISHED_ENUM(Cls, PropName, Getter, Setter, Def)                                            \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkEnumeration,                                                         \
    .GetOrd = [](const TObject* o) -> Int64 { return static_cast<Int64>(BRISK_SELF(Cls)->Getter()); }, \
    .SetOrd = [](TObject* o, Int64 v) { static_cast<Cls*>(o)->Setter(static_cast<BRISK_TYPE_OF(Cls, Getter)>(v)); }, \
    .GetStr = nullptr, .SetStr = nullptr,                                                            \
    .PropType = TypeInfoOf(static_cast<const BRISK_TYPE_OF(Cls, Getter)*>(nullptr)), .Default = Def  \
  }
// A Boolean held in a public field.
#define PUBLISHED_BOOL_FIELD(Cls, PropName, Field, Def)                                               \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkEnumeration,                                                         \
    .GetOrd = [](const TObject* o) -> Int64 { return BRISK_SELF(Cls)->Field ? 1 : 0; },              \
    .SetOrd = [](TObject* o, Int64 v) { static_cast<Cls*>(o)->Field = v != 0; },                     \
    .GetStr = nullptr, .SetStr = nullptr, .PropType = &Boolean_TypeInfo, .Default = Def              \
  }
// A set; the default is the set's bits.
#define PUBLISHED_SET(Cls, PropName, Getter, Setter, Def)                                             \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkSet,                                                                 \
    .GetOrd = [](const TObject* o) -> Int64 { return BRISK_SELF(Cls)->Getter().Bits(); },            \
    .SetOrd = [](TObject* o, Int64 v) {                                                              \
      using S = BRISK_TYPE_OF(Cls, Getter);                                                          \
      static_cast<Cls*>(o)->Setter(S::FromBits(static_cast<typename S::Storage>(v)));                \
    },                                                                                               \
    .GetStr = nullptr, .SetStr = nullptr,                                                            \
    .PropType = TypeInfoOf(static_cast<const BRISK_TYPE_OF(Cls, Getter)*>(nullptr)), .Default = Def  \
  }
// A persistent object the instance owns (a font, a string list): read and written through its
// own properties, "Font.Name".
#define PUBLISHED_OBJECT(Cls, PropName, Getter)                                                       \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkClass, .GetOrd = nullptr, .SetOrd = nullptr, .GetStr = nullptr,      \
    .SetStr = nullptr, .PropType = &ClassTypeInfo<std::remove_pointer_t<BRISK_TYPE_OF(Cls, Getter)>>, \
    .GetObj = [](const TObject* o) -> TObject* { return BRISK_SELF(Cls)->Getter(); }                 \
  }
// A reference to another component, stored by name and resolved after loading.
#define PUBLISHED_REFERENCE(Cls, PropName, Getter, Setter)                                            \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkClass, .GetOrd = nullptr, .SetOrd = nullptr, .GetStr = nullptr,      \
    .SetStr = nullptr, .PropType = &ClassTypeInfo<std::remove_pointer_t<BRISK_TYPE_OF(Cls, Getter)>>, \
    .GetObj = [](const TObject* o) -> TObject* { return BRISK_SELF(Cls)->Getter(); },                \
    .SetObj = [](TObject* o, TObject* v) {                                                           \
      static_cast<Cls*>(o)->Setter(static_cast<BRISK_TYPE_OF(Cls, Getter)>(v));                      \
    }                                                                                                \
  }
// An event held in a public method-pointer field, bound by a form file to a published method.
#define PUBLISHED_EVENT(Cls, PropName, Field)                                                         \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkMethod, .GetOrd = nullptr, .SetOrd = nullptr, .GetStr = nullptr,     \
    .SetStr = nullptr, .PropType = MethodTypeInfoOf(static_cast<const decltype(Cls::Field)*>(nullptr)), \
    .GetMethod = [](const TObject* o) -> TMethodValue { return BRISK_SELF(Cls)->Field.Erase(); },    \
    .SetMethod = [](TObject* o, const TMethodValue& v) { return static_cast<Cls*>(o)->Field.Assign(v); } \
  }
// An event read and written through accessors.
#define PUBLISHED_EVENT_ACCESSORS(Cls, PropName, Getter, Setter)                                      \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkMethod, .GetOrd = nullptr, .SetOrd = nullptr, .GetStr = nullptr,     \
    .SetStr = nullptr, .PropType = MethodTypeInfoOf(static_cast<const BRISK_TYPE_OF(Cls, Getter)*>(nullptr)), \
    .GetMethod = [](const TObject* o) -> TMethodValue { return BRISK_SELF(Cls)->Getter().Erase(); },  \
    .SetMethod = [](TObject* o, const TMethodValue& v) {                                             \
      BRISK_TYPE_OF(Cls, Getter) event;                                                              \
      if (!event.Assign(v)) return false;                                                            \
      static_cast<Cls*>(o)->Setter(event);                                                           \
      return true;                                                                                   \
    }                                                                                                \
  }
// A floating-point number.
#define PUBLISHED_FLOAT(Cls, PropName, Getter, Setter)                                                \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkFloat, .GetOrd = nullptr, .SetOrd = nullptr, .GetStr = nullptr,      \
    .SetStr = nullptr, .GetFloat = [](const TObject* o) -> double { return BRISK_SELF(Cls)->Getter(); }, \
    .SetFloat = [](TObject* o, double v) { static_cast<Cls*>(o)->Setter(v); }                        \
  }
// A string stored only when IsStoredFn(self) says so.
#define PUBLISHED_STR_STORED(Cls, PropName, Getter, Setter, IsStoredFn)                               \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkString, .GetOrd = nullptr, .SetOrd = nullptr,                        \
    .GetStr = [](const TObject* o) -> String { return BRISK_SELF(Cls)->Getter(); },                  \
    .SetStr = [](TObject* o, const String& v) { static_cast<Cls*>(o)->Setter(v); },                  \
    .IsStored = [](const TObject* o) -> bool { return IsStoredFn(BRISK_SELF(Cls)); }                 \
  }
// A string held in a public field.
#define PUBLISHED_STR_FIELD(Cls, PropName, Field)                                                     \
  TPropInfo {                                                                                        \
    .Name = PropName, .Kind = tkString, .GetOrd = nullptr, .SetOrd = nullptr,                        \
    .GetStr = [](const TObject* o) -> String { return BRISK_SELF(Cls)->Field; },                     \
    .SetStr = [](TObject* o, const String& v) { static_cast<Cls*>(o)->Field = v; }                   \
  }
