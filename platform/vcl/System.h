// The class library's root: basic types, TObject with Free/Destroy, class descriptors
// (metaclasses with published properties), method pointers and small bit sets.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

using Integer = int32_t;
using Cardinal = uint32_t;
using Word = uint16_t;
using Byte = uint8_t;
using Boolean = bool;
using LongInt = int32_t;
using Int64 = int64_t;
using String = std::string;

class TObject;
class TComponent;
struct TClass;

enum TTypeKind : uint8_t { tkUnknown, tkInteger, tkEnumeration, tkString, tkClass, tkMethod, tkSet, tkFloat };

struct TTypeInfo;

// A method pointer with its type erased, as run-time type information trades it: the object,
// the code, and the signature, which a published event compares before it takes the value.
struct TMethodValue {
  void* Data = nullptr;
  void (*Code)() = nullptr;
  const std::type_info* Signature = nullptr;
  explicit operator bool() const { return Code != nullptr; }
};

// The ordinal value of a property declared without a default: always stored.
constexpr Int64 NoDefault = INT64_MIN;

// One published property: its name, kind and accessors (plain functions over the object).
// Streaming adds the property's type (enumeration names, set elements, identifier maps, the
// class of an object property, an event's signature), its default and when it is stored.
struct TPropInfo {
  const char* Name;
  TTypeKind Kind;
  Int64 (*GetOrd)(const TObject*);
  void (*SetOrd)(TObject*, Int64);
  String (*GetStr)(const TObject*);
  void (*SetStr)(TObject*, const String&);
  const TTypeInfo* PropType = nullptr;
  Int64 Default = NoDefault;
  bool (*IsStored)(const TObject*) = nullptr;  // null: always stored
  TObject* (*GetObj)(const TObject*) = nullptr;
  void (*SetObj)(TObject*, TObject*) = nullptr;
  TMethodValue (*GetMethod)(const TObject*) = nullptr;
  bool (*SetMethod)(TObject*, const TMethodValue&) = nullptr;  // false: the signature differs
  double (*GetFloat)(const TObject*) = nullptr;
  void (*SetFloat)(TObject*, double) = nullptr;
};

// A published field: a component reference of the owner that takes the owned component of
// that name (the form's `Button1`), and the field's class.
struct TFieldEntry {
  const char* Name;
  const TClass* FieldClass;
  void (*Set)(TObject* Owner, TComponent* Value);
};

// A published method, found by name when a form file binds an event to it.
struct TMethodEntry {
  const char* Name;
  TMethodValue (*Bind)(TObject* Instance);
};

// The class descriptor ("metaclass"). Descriptors are constant-initialised, so they exist
// before any code runs and in every shared library that defines them.
struct TClass {
  const char* Name;
  const TClass* Parent;
  TComponent* (*CreateInstance)(TComponent* AOwner);  // virtual constructor; null if abstract
  const TPropInfo* Props;
  int PropCount;
  // Non-zero when the descriptor is the first part of a larger record that a library
  // defines for its own class references (its value names the record's kind).
  uint8_t DescriptorKind = 0;
  const TFieldEntry* Fields = nullptr;
  int FieldCount = 0;
  const TMethodEntry* Methods = nullptr;
  int MethodCount = 0;

  const char* ClassName() const { return Name; }
  const TClass* ClassParent() const { return Parent; }
  bool InheritsFrom(const TClass* other) const;
  // Case-insensitive lookup up the class chain, as run-time type information does.
  const TPropInfo* FindProp(const String& name) const;
  // Published fields and methods by name, up the class chain, without regard to case.
  const TFieldEntry* FindField(const String& name) const;
  const TMethodEntry* FindMethod(const String& name) const;
  // The published method of Instance's class that a method pointer calls, or null.
  const TMethodEntry* FindMethodOf(TObject* Instance, const TMethodValue& method) const;
  // The virtual constructor Create(AOwner); raises for a class without one.
  TComponent* Create(TComponent* AOwner) const;
};

// Declares the class-descriptor members; each class has its descriptor in one .cpp file.
#define DECLARE_CLASS(Cls, ParentCls)                                             \
 public:                                                                          \
  using inherited = ParentCls;                                                    \
  static const TClass ClassInfo;                                                  \
  static const TClass* StaticClass() { return &Cls::ClassInfo; }                 \
  const TClass* ClassType() const override { return &Cls::ClassInfo; }            \
                                                                                  \
 private:

#define IMPLEMENT_CLASS(Cls, ParentCls) \
  const TClass Cls::ClassInfo{#Cls, &ParentCls::ClassInfo, nullptr, nullptr, 0};

// A component class with a virtual constructor Create(AOwner).
#define IMPLEMENT_COMPONENT_CLASS(Cls, ParentCls)                                               \
  const TClass Cls::ClassInfo{#Cls, &ParentCls::ClassInfo,                                      \
                              [](TComponent* o) -> TComponent* { return new Cls(o); }, nullptr, 0};

#define IMPLEMENT_COMPONENT_CLASS_PROPS(Cls, ParentCls, PropArray)                              \
  const TClass Cls::ClassInfo{#Cls, &ParentCls::ClassInfo,                                      \
                              [](TComponent* o) -> TComponent* { return new Cls(o); }, PropArray, \
                              static_cast<int>(sizeof(PropArray) / sizeof(PropArray[0]))};

#define IMPLEMENT_CLASS_PROPS(Cls, ParentCls, PropArray)                                 \
  const TClass Cls::ClassInfo{#Cls, &ParentCls::ClassInfo, nullptr, PropArray,           \
                              static_cast<int>(sizeof(PropArray) / sizeof(PropArray[0]))};

// How many entries a table of published items has; nullptr stands for none.
template <class T, size_t N>
constexpr int PublishedCount(const T (&)[N]) { return static_cast<int>(N); }
constexpr int PublishedCount(std::nullptr_t) { return 0; }

// A form class: a component class with published fields (its components) and methods (its
// event handlers), either of which may be nullptr, and no published properties of its own.
#define IMPLEMENT_FORM_CLASS(Cls, ParentCls, FieldArray, MethodArray)                                  \
  const TClass Cls::ClassInfo{#Cls,                                                                    \
                              &ParentCls::ClassInfo,                                                   \
                              [](TComponent* o) -> TComponent* { return new Cls(o); },                 \
                              nullptr,                                                                 \
                              0,                                                                       \
                              0,                                                                       \
                              FieldArray,                                                              \
                              PublishedCount(FieldArray),                                              \
                              MethodArray,                                                             \
                              PublishedCount(MethodArray)};

// Entries of a form class's published fields and methods (IMPLEMENT_FORM_CLASS).
#define PUBLISHED_FIELD(Cls, Field)                                                                    \
  TFieldEntry {                                                                                        \
    #Field, &std::remove_pointer_t<decltype(Cls::Field)>::ClassInfo,                                   \
        [](TObject* o, TComponent* v) { static_cast<Cls*>(o)->Field = static_cast<decltype(Cls::Field)>(v); } \
  }
#define PUBLISHED_METHOD(Cls, Method)                                                                  \
  TMethodEntry {                                                                                       \
    #Method, [](TObject* o) -> TMethodValue { return MethodOf<&Cls::Method>(static_cast<Cls*>(o)).Erase(); } \
  }

// Published property entries for IMPLEMENT_*_PROPS arrays.
#define PUBLISHED_INT(Cls, PropName, Getter, Setter)                                               \
  TPropInfo {                                                                                      \
    PropName, tkInteger, [](const TObject* o) -> Int64 { return static_cast<const Cls*>(o)->Getter(); }, \
        [](TObject* o, Int64 v) { static_cast<Cls*>(o)->Setter(static_cast<Integer>(v)); }, nullptr, nullptr \
  }
#define PUBLISHED_INT_RO(Cls, PropName, Getter)                                                    \
  TPropInfo {                                                                                      \
    PropName, tkInteger, [](const TObject* o) -> Int64 { return static_cast<const Cls*>(o)->Getter(); }, \
        nullptr, nullptr, nullptr                                                                  \
  }
#define PUBLISHED_STR(Cls, PropName, Getter, Setter)                                                  \
  TPropInfo {                                                                                         \
    PropName, tkString, nullptr, nullptr,                                                             \
        [](const TObject* o) -> String { return static_cast<const Cls*>(o)->Getter(); },              \
        [](TObject* o, const String& v) { static_cast<Cls*>(o)->Setter(v); }                          \
  }

// The root class. Objects are made with `new` and ended with Free(): the virtual Destroy()
// chain runs while the whole object is alive (each override calls inherited::Destroy() last),
// then the memory is released. C++ destructors stay trivial.
class TObject {
 public:
  static const TClass ClassInfo;
  static const TClass* StaticClass() { return &ClassInfo; }
  virtual const TClass* ClassType() const { return &ClassInfo; }

  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  void Free();
  virtual void Destroy() {}

  String ClassName() const { return ClassType()->Name; }
  bool InheritsFrom(const TClass* cls) const { return ClassType()->InheritsFrom(cls); }
  template <class T>
  bool Is() const { return InheritsFrom(T::StaticClass()); }

 protected:
  virtual ~TObject() = default;
};

// `X as T`: null when X is null or not a T (callers test), never a bad cast.
template <class T>
T* As(TObject* obj) {
  return obj && obj->InheritsFrom(T::StaticClass()) ? static_cast<T*>(obj) : nullptr;
}
template <class T>
const T* As(const TObject* obj) {
  return obj && obj->InheritsFrom(T::StaticClass()) ? static_cast<const T*>(obj) : nullptr;
}

template <class T>
void FreeAndNil(T*& obj) {
  T* o = obj;
  obj = nullptr;
  if (o) o->Free();
}

// ---- method pointers ---------------------------------------------------------------------
// An object and a code address, like the original's method pointer: two words, copied
// without allocation, compared by both words, tested with Assigned.
template <class Sig>
struct TMethod;

template <class R, class... A>
struct TMethod<R(A...)> {
  void* Data = nullptr;
  R (*Code)(void*, A...) = nullptr;

  TMethod() = default;
  TMethod(std::nullptr_t) {}
  TMethod(void* data, R (*code)(void*, A...)) : Data(data), Code(code) {}

  R operator()(A... args) const { return Code(Data, std::forward<A>(args)...); }
  explicit operator bool() const { return Code != nullptr; }
  friend bool operator==(const TMethod& a, const TMethod& b) { return a.Data == b.Data && a.Code == b.Code; }

  template <auto M, class C>
  static TMethod Bind(C* obj) {
    return TMethod(static_cast<void*>(obj), [](void* d, A... args) -> R {
      return (static_cast<C*>(d)->*M)(std::forward<A>(args)...);
    });
  }

  // The type-erased value, as published events trade it.
  TMethodValue Erase() const { return {Data, reinterpret_cast<void (*)()>(Code), &typeid(R(A...))}; }
  // Takes an erased value of the same signature (or an unassigned one); false, and nothing
  // changed, for another signature.
  bool Assign(const TMethodValue& v) {
    if (v.Code && (!v.Signature || *v.Signature != typeid(R(A...)))) return false;
    Data = v.Code ? v.Data : nullptr;
    Code = reinterpret_cast<R (*)(void*, A...)>(v.Code);
    return true;
  }
};

template <class T>
struct TMemberTraits;
template <class C, class R, class... A>
struct TMemberTraits<R (C::*)(A...)> {
  using Class = C;
  using Sig = R(A...);
};
template <class C, class R, class... A>
struct TMemberTraits<R (C::*)(A...) const> {
  using Class = const C;
  using Sig = R(A...);
};

// MethodOf<&TFoo::Bar>(foo) — the method pointer (foo, TFoo::Bar).
template <auto M, class C>
auto MethodOf(C* obj) {
  using Traits = TMemberTraits<decltype(M)>;
  return TMethod<typename Traits::Sig>::template Bind<M>(static_cast<typename Traits::Class*>(obj));
}

template <class Sig>
bool Assigned(const TMethod<Sig>& m) { return m.Code != nullptr; }
inline bool Assigned(const void* p) { return p != nullptr; }

using TNotifyEvent = TMethod<void(TObject* Sender)>;

// ---- small sets --------------------------------------------------------------------------
// A set over an enumeration: bit n for value n, stored in the smallest integer that fits.
template <class E, unsigned N = 8>
class TSet {
 public:
  using Storage = std::conditional_t<(N <= 8), uint8_t, std::conditional_t<(N <= 16), uint16_t, uint32_t>>;
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) bits_ |= Bit(e);
  }
  static constexpr TSet FromBits(Storage b) { TSet s; s.bits_ = b; return s; }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr TSet& Include(E e) { bits_ |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { bits_ &= static_cast<Storage>(~Bit(e)); return *this; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr Storage Bits() const { return bits_; }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & static_cast<Storage>(~o.bits_)); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  friend constexpr bool operator==(TSet a, TSet b) { return a.bits_ == b.bits_; }

 private:
  static constexpr Storage Bit(E e) { return static_cast<Storage>(Storage(1) << static_cast<unsigned>(e)); }
  Storage bits_ = 0;
};
