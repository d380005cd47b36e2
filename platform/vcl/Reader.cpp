// Reading form streams: values, properties, components, references and Loaded.
#include "Reader.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_CLASS(TReader, TFiler)

namespace {
constexpr const char* SReadError = "Stream read error";
constexpr const char* SInvalidImage = "Invalid stream format";
constexpr const char* SInvalidPropertyValue = "Invalid property value";
constexpr const char* SInvalidPropertyPath = "Invalid property path";
constexpr const char* SUnknownProperty = "Property %s does not exist";
constexpr const char* SReadOnlyProperty = "Property is read-only";
constexpr const char* SAncestorNotFound = "Ancestor for '%s' not found";
constexpr const char* SClassNotFound = "Class %s not found";

// Wide characters to 8-bit ones: Latin-1 where it fits, '?' where it does not.
String Narrow(const WideString& w) {
  String s(w.size(), '\0');
  for (size_t i = 0; i < w.size(); ++i) s[i] = w[i] <= 0xFF ? static_cast<char>(w[i]) : '?';
  return s;
}

// UTF-8 to UTF-16; a malformed sequence gives U+FFFD for its first byte and goes on.
WideString Utf8ToWide(const String& u) {
  WideString w;
  w.reserve(u.size());
  size_t i = 0;
  while (i < u.size()) {
    const auto b = static_cast<unsigned char>(u[i]);
    int len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    uint32_t cp = len == 1 ? b : len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
    bool ok = len > 0 && i + static_cast<size_t>(len) <= u.size();
    for (int k = 1; ok && k < len; ++k) {
      const auto c = static_cast<unsigned char>(u[i + static_cast<size_t>(k)]);
      ok = (c & 0xC0) == 0x80;
      cp = cp << 6 | (c & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    ok = ok && cp >= kMin[len] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    if (!ok) {
      w.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      w.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
      w.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
    } else {
      w.push_back(static_cast<char16_t>(cp));
    }
    i += static_cast<size_t>(len);
  }
  return w;
}
}  // namespace

namespace {
// While a form class reads its resources (an ancestor's and its own), the components read
// wait here for one Loaded at the end instead of one per stream.
std::vector<std::vector<TComponent*>*> gGlobalLoaded;
}  // namespace

TReader::TReader(TStream* Stream, Integer BufSize) : TFiler(Stream, BufSize) {}

void TReader::Destroy() {
  if (FBufPos < FBufEnd) FStream->Seek(-static_cast<Int64>(FBufEnd - FBufPos), soCurrent);
  FBufPos = FBufEnd = 0;
  inherited::Destroy();
}

void TReader::PropValueError() { throw EReadError(SInvalidPropertyValue); }

void TReader::PropertyError(const String& Name) { throw EReadError(Format(SUnknownProperty, Name.c_str())); }

// ---- values ------------------------------------------------------------------------------------

void TReader::Read(void* Buf, Integer Count) {
  auto* out = static_cast<uint8_t*>(Buf);
  size_t left = Count > 0 ? static_cast<size_t>(Count) : 0;
  while (left > 0) {
    if (FBufPos == FBufEnd) {
      Integer n = FStream->Read(FBuffer.data(), static_cast<Integer>(FBuffer.size()));
      FBufPos = 0;
      FBufEnd = n > 0 ? static_cast<size_t>(n) : 0;
      if (FBufEnd == 0) throw EReadError(SReadError);
    }
    size_t n = std::min(left, FBufEnd - FBufPos);
    std::memcpy(out, FBuffer.data() + FBufPos, n);
    FBufPos += n;
    out += n;
    left -= n;
  }
}

uint8_t TReader::ReadByte() {
  uint8_t b;
  Read(&b, 1);
  return b;
}

Int64 TReader::Remaining() {
  const Int64 pos = FStream->GetPosition();
  const Int64 size = FStream->GetSize();
  return static_cast<Int64>(FBufEnd - FBufPos) + std::max<Int64>(size - pos, 0);
}

// A length read from the stream is trusted only as far as the stream goes.
void TReader::CheckRemaining(Int64 Count) {
  if (Count < 0 || Count > Remaining()) throw EReadError(SReadError);
}

void TReader::SkipBytes(Int64 Count) {
  CheckRemaining(Count);
  uint8_t scratch[256];
  while (Count > 0) {
    Integer n = static_cast<Integer>(std::min<Int64>(Count, sizeof scratch));
    Read(scratch, n);
    Count -= n;
  }
}

uint32_t TReader::ReadCount() {
  uint8_t b[4];
  Read(b, 4);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
}

uint64_t TReader::ReadLE64() {
  uint8_t b[8];
  Read(b, 8);
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | b[i];
  return v;
}

void TReader::ReadSignature() {
  char sig[4];
  Read(sig, 4);
  if (std::memcmp(sig, "TPF0", 4) != 0) throw EReadError(SInvalidImage);
}

void TReader::ReadPrefix(TFilerFlags& Flags, Integer& AChildPos) {
  Flags = TFilerFlags();
  if ((NextValue() & 0xF0) == 0xF0) {
    Flags = TFilerFlags::FromBits(static_cast<uint8_t>(ReadByte() & 0x0F));
    if (Flags.Contains(ffChildPos)) AChildPos = ReadInteger();
  }
}

String TReader::ReadStr() {
  uint8_t len = ReadByte();
  String s(len, '\0');
  Read(s.data(), len);
  return s;
}

TValueType TReader::ReadValue() { return static_cast<TValueType>(ReadByte()); }

TValueType TReader::NextValue() {
  TValueType v = ReadValue();
  --FBufPos;  // the byte just read is still in the buffer
  return v;
}

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) PropValueError();
}

void TReader::Nest() {
  if (FNesting >= MaxFilerNesting) throw EReadError(SInvalidImage);
}

void TReader::SkipValue() {
  Nest();
  ++FNesting;
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      break;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaInt8: SkipBytes(1); break;
    case vaInt16: SkipBytes(2); break;
    case vaInt32:
    case vaSingle: SkipBytes(4); break;
    case vaExtended: SkipBytes(10); break;
    case vaCurrency:
    case vaDate:
    case vaInt64: SkipBytes(8); break;
    case vaString:
    case vaIdent: ReadStr(); break;
    case vaBinary:
    case vaLString:
    case vaUTF8String: SkipBytes(ReadCount()); break;
    case vaWString: SkipBytes(2 * static_cast<Int64>(ReadCount())); break;
    case vaSet:
      while (!ReadStr().empty()) {
      }
      break;
    case vaCollection:
      while (!EndOfList()) {
        if (NextValue() >= vaInt8 && NextValue() <= vaInt32) SkipValue();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    default:
      throw EReadError(SInvalidImage);
  }
  --FNesting;
}

Int64 TReader::ReadInt64() {
  switch (ReadValue()) {
    case vaInt8: return static_cast<int8_t>(ReadByte());
    case vaInt16: {
      uint8_t b[2];
      Read(b, 2);
      return static_cast<int16_t>(b[0] | b[1] << 8);
    }
    case vaInt32: return static_cast<int32_t>(ReadCount());
    case vaInt64: return static_cast<Int64>(ReadLE64());
    default:
      PropValueError();
  }
}

Integer TReader::ReadInteger() {
  if (NextValue() == vaInt64) PropValueError();
  return static_cast<Integer>(ReadInt64());
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaFalse: return false;
    case vaTrue: return true;
    default: PropValueError();
  }
}

WideString TReader::ReadWideString() {
  switch (NextValue()) {
    case vaWString: {
      ReadValue();
      uint32_t n = ReadCount();
      CheckRemaining(2 * static_cast<Int64>(n));
      WideString w(n, u'\0');
      for (uint32_t i = 0; i < n; ++i) {
        uint8_t b[2];
        Read(b, 2);
        w[i] = static_cast<char16_t>(b[0] | b[1] << 8);
      }
      return w;
    }
    case vaUTF8String: {
      ReadValue();
      uint32_t n = ReadCount();
      CheckRemaining(n);
      String u(n, '\0');
      Read(u.data(), static_cast<Integer>(n));
      return Utf8ToWide(u);
    }
    default: {
      const String s = ReadString();
      WideString w(s.size(), u'\0');
      for (size_t i = 0; i < s.size(); ++i) w[i] = static_cast<unsigned char>(s[i]);  // 8-bit as Latin-1
      return w;
    }
  }
}

String TReader::ReadString() {
  uint32_t n;
  switch (NextValue()) {
    case vaString:
      ReadValue();
      n = ReadByte();
      break;
    case vaLString:
      ReadValue();
      n = ReadCount();
      CheckRemaining(n);
      break;
    case vaWString:
    case vaUTF8String:
      return Narrow(ReadWideString());
    default:
      ReadValue();
      PropValueError();
  }
  String s(n, '\0');
  Read(s.data(), static_cast<Integer>(n));
  return s;
}

String TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: PropValueError();
  }
}

double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      uint8_t b[10];
      Read(b, 10);
      return ExtendedToDouble(b);
    }
    case vaSingle: return ReadSingle();
    case vaDate: return ReadDate();
    case vaCurrency: return static_cast<double>(ReadCurrency()) / 10000;
    default: return static_cast<double>(ReadInt64());
  }
}

float TReader::ReadSingle() {
  if (NextValue() != vaSingle) return static_cast<float>(ReadInt64());
  ReadValue();
  uint32_t bits = ReadCount();
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

Int64 TReader::ReadCurrency() {
  if (NextValue() != vaCurrency) {
    Int64 v = ReadInt64();
    if (v > INT64_MAX / 10000 || v < INT64_MIN / 10000) PropValueError();
    return v * 10000;
  }
  ReadValue();
  return static_cast<Int64>(ReadLE64());
}

double TReader::ReadDate() {
  if (NextValue() != vaDate) return static_cast<double>(ReadInt64());
  ReadValue();
  uint64_t bits = ReadLE64();
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

Int64 TReader::GetPosition() { return FStream->GetPosition() - static_cast<Int64>(FBufEnd - FBufPos); }

// ---- properties --------------------------------------------------------------------------------

void TReader::DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (ReadData && !FPropName.empty() && SameText(Name, FPropName)) {
    ReadData(this);
    FPropName.clear();
  }
}

void TReader::DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (!ReadData || FPropName.empty() || !SameText(Name, FPropName)) return;
  CheckValue(vaBinary);
  uint32_t n = ReadCount();
  CheckRemaining(n);
  String bytes(n, '\0');
  Read(bytes.data(), static_cast<Integer>(n));
  TAutoFree<TMemoryStream> data(new TMemoryStream());
  data->SetDataString(bytes);
  ReadData(data.Get());
  FPropName.clear();
}

void TReader::ReadProperty(TPersistent* AInstance) {
  const String path = ReadStr();
  const String savedContext = FContextProperty;
  FContextProperty = FPropPrefix + path;
  TPersistent* instance = AInstance;
  size_t start = 0;
  for (size_t dot; (dot = path.find('.', start)) != String::npos; start = dot + 1) {
    const String part = path.substr(start, dot - start);
    PPropInfo info = GetPropInfo(instance, part);
    if (!info) PropertyError(part);
    // Only objects the instance keeps for itself (a font, a string list) are walked into; a
    // reference to another component is not a path.
    TObject* next = info->Kind == tkClass && info->GetObj && !info->SetObj ? info->GetObj(instance) : nullptr;
    instance = As<TPersistent>(next);
    if (!instance) throw EReadError(SInvalidPropertyPath);
  }
  const String name = path.substr(start);
  if (PPropInfo info = GetPropInfo(instance, name)) {
    ReadPropValue(instance, info);
  } else {
    FPropName = name;
    instance->DefineProperties(this);
    if (!FPropName.empty()) PropertyError(name);
  }
  FContextProperty = savedContext;
}

Int64 TReader::ReadOrdinal(PPropInfo PropInfo) {
  const TTypeInfo* type = PropInfo->PropType;
  switch (PropInfo->Kind) {
    case tkInteger: {
      const TValueType next = NextValue();
      if (next == vaIdent) {
        Int64 v;
        if (!IdentToInt(type, ReadIdent(), v)) PropValueError();
        return v;
      }
      Int64 v = ReadInt64();
      if (v < INT32_MIN || v > INT32_MAX) PropValueError();
      return v;
    }
    case tkEnumeration: {
      Integer v = GetEnumValue(type, ReadIdent());
      if (v < 0) PropValueError();
      return v;
    }
    case tkSet: {
      CheckValue(vaSet);
      const TTypeInfo* elements = type ? type->CompType : nullptr;
      uint64_t bits = 0;
      for (String s; !(s = ReadStr()).empty();) {
        Integer v = GetEnumValue(elements, s);
        if (v < 0 || v >= 64) PropValueError();
        bits |= uint64_t(1) << v;
      }
      return static_cast<Int64>(bits);
    }
    default:
      PropValueError();
  }
}

void TReader::ReadPropValue(TPersistent* Instance, PPropInfo PropInfo) {
  switch (PropInfo->Kind) {
    case tkInteger:
    case tkEnumeration:
    case tkSet:
      if (!PropInfo->SetOrd) throw EReadError(SReadOnlyProperty);
      PropInfo->SetOrd(Instance, ReadOrdinal(PropInfo));
      return;
    case tkString:
      if (!PropInfo->SetStr) throw EReadError(SReadOnlyProperty);
      PropInfo->SetStr(Instance, ReadString());
      return;
    case tkFloat:
      if (!PropInfo->SetFloat) throw EReadError(SReadOnlyProperty);
      PropInfo->SetFloat(Instance, ReadFloat());
      return;
    case tkMethod: {
      if (!PropInfo->SetMethod) throw EReadError(SReadOnlyProperty);
      TMethodValue method;
      if (NextValue() == vaNil) {
        ReadValue();
      } else {
        // An event names a published method of the form being read.
        const TMethodEntry* entry = FRoot ? FRoot->ClassType()->FindMethod(ReadIdent()) : nullptr;
        if (!entry) PropValueError();
        method = entry->Bind(FRoot);
      }
      if (!PropInfo->SetMethod(Instance, method)) PropValueError();
      return;
    }
    case tkClass:
      switch (NextValue()) {
        case vaNil:
          ReadValue();
          if (!PropInfo->SetObj) throw EReadError(SReadOnlyProperty);
          PropInfo->SetObj(Instance, nullptr);
          return;
        case vaCollection: {
          ReadValue();
          auto* collection = As<TCollection>(PropInfo->GetObj ? PropInfo->GetObj(Instance) : nullptr);
          if (!collection) PropValueError();
          ReadCollection(collection);
          return;
        }
        default: {
          if (!PropInfo->SetObj) throw EReadError(SReadOnlyProperty);
          // A reference to another component, set once every component is read.
          FFixups.push_back({Instance, PropInfo, ReadIdent(), FContextComponent, FContextProperty});
          return;
        }
      }
    default:
      PropValueError();
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  Nest();
  ++FNesting;
  DropFixups(Collection);
  Collection->Clear();
  const String savedPrefix = FPropPrefix;
  while (!EndOfList()) {
    const TValueType next = NextValue();
    if (next >= vaInt8 && next <= vaInt32) ReadInteger();  // the item's order, kept by the order itself
    TCollectionItem* item = Collection->Add();
    FPropPrefix = FContextProperty + "[" + IntToStr(item->GetIndex()) + "].";
    ReadListBegin();
    while (!EndOfList()) ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
  FPropPrefix = savedPrefix;
  --FNesting;
}

// Items about to be freed take their pending references with them.
void TReader::DropFixups(const TCollection* Collection) {
  FFixups.erase(std::remove_if(FFixups.begin(), FFixups.end(),
                               [Collection](const TFixup& f) {
                                 auto* item = As<TCollectionItem>(f.Instance);
                                 return item && item->GetCollection() == Collection;
                               }),
                FFixups.end());
}

// ---- components --------------------------------------------------------------------------------

// The class of a published field of the root comes first, as the form's own declaration
// names it; then the registry.
const TClass* TReader::FindComponentClass(const String& ClassName) {
  const TClass* cls = nullptr;
  for (const TClass* c = FRoot ? FRoot->ClassType() : nullptr; c && !cls; c = c->Parent)
    for (int i = 0; i < c->FieldCount && !cls; ++i)
      if (SameText(c->Fields[i].FieldClass->Name, ClassName)) cls = c->Fields[i].FieldClass;
  if (!cls) cls = GetClass(ClassName);
  if (!cls || !cls->CreateInstance || !cls->InheritsFrom(TComponent::StaticClass()))
    throw EClassNotFound(Format(SClassNotFound, ClassName.c_str()));
  return cls;
}

String TReader::FindUniqueName(const String& Name) {
  String result = Name;
  for (int i = 1; !result.empty(); ++i) {
    TComponent* other = FindGlobalComponent(result);
    if (!other || other == FRoot) break;
    result = Format("%s_%d", Name.c_str(), i);
  }
  return result;
}

void TReader::ReadData(TComponent* Instance) {
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  TComponent* savedOwner = FOwner;
  TComponent* savedParent = FParent;
  FParent = Instance->GetChildParent();
  FOwner = Instance->GetChildOwner();
  if (!FOwner) FOwner = FRoot;
  while (!EndOfList()) ReadComponent(nullptr);
  ReadListEnd();
  FOwner = savedOwner;
  FParent = savedParent;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  Nest();
  ++FNesting;
  TFilerFlags flags;
  Integer position = 0;
  ReadPrefix(flags, position);
  const String className = ReadStr();
  const String name = ReadStr();
  const String savedContext = FContextComponent;
  FContextComponent = name.empty() ? className : name;
  TComponent* result = Component;
  if (!result) {
    if (flags.Contains(ffInherited)) {
      // Inherited: the ancestor's stream made it already.
      result = FOwner ? FOwner->FindComponent(name) : nullptr;
      if (!result) throw EReadError(Format(SAncestorNotFound, name.c_str()));
    } else {
      const TClass* cls = FindComponentClass(className);
      result = cls->Create(FOwner);
      FCreated.push_back(result);
    }
  }
  result->SetComponentStateFlag(csLoading, true);
  if (!flags.Contains(ffInherited)) {
    result->SetName(name);
    // The form's field of that name must be able to hold it.
    const TFieldEntry* field = FOwner && !name.empty() ? FOwner->ClassType()->FindField(name) : nullptr;
    if (field && !result->InheritsFrom(field->FieldClass))
      throw EReadError(Format("Field %s is not a %s", name.c_str(), field->FieldClass->Name));
  }
  if (flags.Contains(ffChildPos) && FParent) FParent->SetChildOrder(result, position);
  result->SetComponentStateFlag(csReading, true);
  result->ReadState(this);
  result->SetComponentStateFlag(csReading, false);
  if (std::find(FLoaded.begin(), FLoaded.end(), result) == FLoaded.end()) FLoaded.push_back(result);
  FContextComponent = savedContext;
  --FNesting;
  return result;
}

void TReader::ResolveFixups() {
  std::vector<TFixup> fixups;
  fixups.swap(FFixups);
  for (const TFixup& f : fixups) {
    FContextComponent = f.Component;
    FContextProperty = f.Property;
    // "Button1" is the root's, "Form2.Button1" another form's; the root may name itself.
    TComponent* target = nullptr;
    const size_t dot = f.Name.find('.');
    const String first = f.Name.substr(0, dot);
    TComponent* base = SameText(first, FRoot->GetName()) ? FRoot : nullptr;
    if (dot == String::npos)
      target = base ? base : FindNestedComponent(FRoot, f.Name);
    else if (TComponent* from = base ? base : FindGlobalComponent(first))
      target = FindNestedComponent(from, f.Name.substr(dot + 1));
    // A component that is not there stays unassigned, as the original leaves a reference it
    // cannot resolve; one of the wrong class is a damaged stream.
    if (!target) continue;
    const TClass* cls = f.PropInfo->PropType ? f.PropInfo->PropType->ClassType : nullptr;
    if (cls && !target->InheritsFrom(cls)) PropValueError();
    f.PropInfo->SetObj(f.Instance, target);
  }
  FContextComponent.clear();
  FContextProperty.clear();
}

String TReader::ErrorPath() const {
  String path = FRootName;
  if (!FContextComponent.empty()) path += "." + FContextComponent;
  if (!FContextProperty.empty()) path += "." + FContextProperty;
  return path;
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  FFixups.clear();
  FLoaded.clear();
  FCreated.clear();
  FRootName.clear();
  FContextComponent.clear();
  FContextProperty.clear();
  FPropPrefix.clear();
  FNesting = 0;
  TComponent* result = Root;
  bool createdRoot = false;
  try {
    ReadSignature();
    TFilerFlags flags;
    Integer position = 0;
    ReadPrefix(flags, position);
    const String className = ReadStr();
    const String name = ReadStr();
    FRootName = name.empty() ? className : name;
    if (!Root) {
      const TClass* cls = GetClass(className);
      if (!cls || !cls->CreateInstance || !cls->InheritsFrom(TComponent::StaticClass()))
        throw EClassNotFound(Format(SClassNotFound, className.c_str()));
      result = cls->Create(nullptr);
      createdRoot = true;
      result->SetComponentStateFlag(csLoading, true);
      result->SetComponentStateFlag(csReading, true);
      result->SetName(name);
    } else {
      result->SetComponentStateFlag(csLoading, true);
      result->SetComponentStateFlag(csReading, true);
      FRoot = result;
      if (!result->GetComponentState().Contains(csDesigning)) result->SetName(FindUniqueName(name));
    }
    FRoot = FLookupRoot = result;
    FOwner = result;
    FParent = nullptr;
    FLoaded.push_back(result);
    result->ReadState(this);
    result->SetComponentStateFlag(csReading, false);
    ResolveFixups();
    if (!gGlobalLoaded.empty()) {
      std::vector<TComponent*>& global = *gGlobalLoaded.back();
      for (TComponent* c : FLoaded)
        if (std::find(global.begin(), global.end(), c) == global.end()) global.push_back(c);
    } else {
      for (TComponent* c : FLoaded) c->Loaded();
    }
  } catch (...) {
    // Nothing half-read is left behind: what this read created goes, the newest first, and
    // a root read into keeps only what it had.
    FFixups.clear();
    if (createdRoot) {
      result->Free();
    } else {
      for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it) {
        TComponent* c = *it;
        TComponent* owner = c->GetOwner();
        // Skip one that something else freed meanwhile: it is no longer among its owner's.
        bool alive = false;
        for (Integer i = 0; owner && i < owner->GetComponentCount() && !alive; ++i) alive = owner->GetComponent(i) == c;
        if (alive) c->Free();
      }
      if (result) {
        result->SetComponentStateFlag(csLoading, false);
        result->SetComponentStateFlag(csReading, false);
      }
    }
    FCreated.clear();
    FLoaded.clear();
    FRoot = FLookupRoot = nullptr;
    try {
      throw;
    } catch (const EClassNotFound& e) {
      throw EClassNotFound(FRootName.empty() ? e.Message : Format("Error reading %s: %s", ErrorPath().c_str(), e.Message.c_str()));
    } catch (const Exception& e) {
      throw EReadError(FRootName.empty() ? e.Message : Format("Error reading %s: %s", ErrorPath().c_str(), e.Message.c_str()));
    }
  }
  FCreated.clear();
  FLoaded.clear();
  return result;
}

// ---- streams and form classes ------------------------------------------------------------------

TComponent* TStream::ReadComponent(TComponent* Instance) {
  TAutoFree<TReader> reader(new TReader(this, 4096));
  return reader->ReadRootComponent(Instance);
}

TComponent* TStream::ReadComponentRes(TComponent* Instance) {
  ReadResHeader();
  return ReadComponent(Instance);
}

bool InitInheritedComponent(TComponent* Instance, const TClass* RootAncestor) {
  std::vector<const TClass*> chain;
  for (const TClass* c = Instance->ClassType(); c && c != RootAncestor && c != TComponent::StaticClass(); c = c->Parent)
    chain.push_back(c);
  // A form whose stream holds a form of its own class would read itself without end.
  if (gGlobalLoaded.size() >= 32) throw EReadError(SInvalidImage);
  bool found = false;
  std::vector<TComponent*> loaded;
  gGlobalLoaded.push_back(&loaded);
  try {
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      String data;
      if (!FindFormResource(*it, data)) continue;
      TAutoFree<TMemoryStream> stream(new TMemoryStream());
      stream->SetDataString(data);
      if (!data.empty() && static_cast<uint8_t>(data[0]) == 0xFF) stream->ReadResHeader();
      stream->ReadComponent(Instance);
      found = true;
    }
  } catch (...) {
    gGlobalLoaded.pop_back();
    throw;
  }
  gGlobalLoaded.pop_back();
  for (TComponent* c : loaded) c->Loaded();
  return found;
}
