// The filer base, the class registry, global component lookup and the form-resource finder.
#include "Filer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Classes.h"

IMPLEMENT_CLASS(TFiler, TObject)

TFiler::TFiler(TStream* Stream, Integer BufSize) : FStream(Stream), FBuffer(static_cast<size_t>(BufSize > 0 ? BufSize : 4096)) {}

// ---- extended floats ---------------------------------------------------------------------------
// Sign and 15-bit exponent (bias 16383) in the last two bytes, a 64-bit mantissa with an
// explicit integer bit in the first eight, little-endian.

double ExtendedToDouble(const uint8_t Bytes[10]) {
  uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = mantissa << 8 | Bytes[i];
  const unsigned top = static_cast<unsigned>(Bytes[9]) << 8 | Bytes[8];
  const bool negative = top & 0x8000;
  const int exponent = static_cast<int>(top & 0x7FFF);
  double value;
  if (exponent == 0x7FFF)
    value = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
  else
    value = std::ldexp(static_cast<double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  return negative ? -value : value;
}

void DoubleToExtended(double Value, uint8_t Bytes[10]) {
  uint64_t mantissa = 0;
  unsigned top = std::signbit(Value) ? 0x8000 : 0;
  if (std::isnan(Value)) {
    mantissa = 0xC000000000000000ull;
    top |= 0x7FFF;
  } else if (std::isinf(Value)) {
    mantissa = 0x8000000000000000ull;
    top |= 0x7FFF;
  } else if (Value != 0) {
    int e;
    double m = std::frexp(std::fabs(Value), &e);  // [0.5, 1)
    mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
    top |= static_cast<unsigned>(e - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) Bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  Bytes[8] = static_cast<uint8_t>(top);
  Bytes[9] = static_cast<uint8_t>(top >> 8);
}

// ---- the class registry ----------------------------------------------------------------------

namespace {
// Never destroyed: libraries unregister from their own static destructors, whose order
// against this one's would otherwise be unknown.
std::vector<const TClass*>& Registry() {
  static auto* classes = new std::vector<const TClass*>();
  return *classes;
}
}  // namespace

void RegisterClass(const TClass* AClass) {
  if (!AClass) return;
  if (const TClass* existing = GetClass(AClass->Name)) {
    if (existing == AClass) return;
    throw EFilerError(Format("A class named %s already exists", AClass->Name));
  }
  Registry().push_back(AClass);
}

void RegisterClasses(std::initializer_list<const TClass*> Classes) {
  for (const TClass* c : Classes) RegisterClass(c);
}

void UnRegisterClass(const TClass* AClass) {
  auto& r = Registry();
  r.erase(std::remove(r.begin(), r.end(), AClass), r.end());
}

const TClass* GetClass(const String& ClassName) {
  for (const TClass* c : Registry())
    if (SameText(c->Name, ClassName)) return c;
  return nullptr;
}

const TClass* FindClass(const String& ClassName) {
  if (const TClass* c = GetClass(ClassName)) return c;
  throw EClassNotFound(Format("Class %s not found", ClassName.c_str()));
}

TClassRegistration::TClassRegistration(std::initializer_list<const TClass*> Classes) {
  for (const TClass* c : Classes) {
    RegisterClass(c);
    FClasses.push_back(c);
  }
}

TClassRegistration::~TClassRegistration() {
  for (const TClass* c : FClasses) UnRegisterClass(c);
}

// ---- components by name --------------------------------------------------------------------

namespace {
std::vector<TFindGlobalComponent>& GlobalFinders() {
  static auto* finders = new std::vector<TFindGlobalComponent>();
  return *finders;
}
}  // namespace

void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  auto& f = GlobalFinders();
  if (std::find(f.begin(), f.end(), Proc) == f.end()) f.push_back(Proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  auto& f = GlobalFinders();
  f.erase(std::remove(f.begin(), f.end(), Proc), f.end());
}

TComponent* FindGlobalComponent(const String& Name) {
  for (TFindGlobalComponent find : GlobalFinders())
    if (TComponent* c = find(Name)) return c;
  return nullptr;
}

TComponent* FindNestedComponent(TComponent* Root, const String& NamePath) {
  TComponent* result = Root;
  size_t start = 0;
  while (result && start <= NamePath.size()) {
    size_t dot = NamePath.find('.', start);
    String name = NamePath.substr(start, dot == String::npos ? String::npos : dot - start);
    result = result->FindComponent(name);
    if (dot == String::npos) break;
    start = dot + 1;
  }
  return result;
}

// ---- form resources -----------------------------------------------------------------------------

// By the class's constructor code, which stays in the library that defines the class: the
// descriptor itself may be a program's copy of it (a copy relocation, made when the program
// takes the descriptor's address), so it names the library only for classes without one.
HMODULE FindClassHInstance(const TClass* AClass) {
  if (!AClass) return 0;
  if (AClass->CreateInstance) return FindHInstance(reinterpret_cast<const void*>(AClass->CreateInstance));
  return FindHInstance(AClass);
}

namespace {
bool FindLinkedFormResource(const TClass* FormClass, String& Data) {
  const HMODULE module = FindClassHInstance(FormClass);
  const void* data = nullptr;
  size_t size = 0;
  if (!module || !FindResourceData(module, FormClass->Name, RT_RCDATA, &data, &size)) return false;
  Data.assign(static_cast<const char*>(data), size);
  return true;
}

TFormResourceFinder& ResourceFinder() {
  static TFormResourceFinder finder = FindLinkedFormResource;
  return finder;
}
}  // namespace

TFormResourceFinder SetFormResourceFinder(TFormResourceFinder Finder) {
  TFormResourceFinder old = std::move(ResourceFinder());
  ResourceFinder() = std::move(Finder);
  return old;
}

bool FindFormResource(const TClass* FormClass, String& Data) {
  const TFormResourceFinder& finder = ResourceFinder();
  return finder && finder(FormClass, Data);
}
