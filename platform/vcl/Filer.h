// What readers and writers of form streams share: the value kinds of the binary format, the
// filer base with its defined properties, the class registry, global component lookup and
// where form classes find their resources.
#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

#include "Streams.h"
#include "../win/Windows.h"

class TPersistent;
class TReader;
class TWriter;

// A string of 16-bit characters, as the wide-string values of form streams hold them.
using WideString = std::u16string;

// The kind byte in front of each value of a binary form stream ("TPF0"). The original's
// numbering; vaUTF8String is what later library versions write for strings they keep in UTF-8.
enum TValueType : uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary,
  vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String
};
constexpr uint8_t HighValueType = vaUTF8String;

// How a component's entry begins: inherited (it exists already in an ancestor's stream),
// with a child position, or inline (a frame).
enum TFilerFlag : uint8_t { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

// The 80-bit floating-point format of vaExtended values, to and from a double.
double ExtendedToDouble(const uint8_t Bytes[10]);
void DoubleToExtended(double Value, uint8_t Bytes[10]);

using TReaderProc = TMethod<void(TReader* Reader)>;
using TWriterProc = TMethod<void(TWriter* Writer)>;
using TStreamProc = TMethod<void(TStream* Stream)>;

// How deep lists, collections and components may nest in a stream or a text. Real forms nest a
// few levels; the bound keeps a damaged stream from exhausting the stack.
constexpr int MaxFilerNesting = 256;

class TFiler : public TObject {
  DECLARE_CLASS(TFiler, TObject)
 public:
  TFiler(TStream* Stream, Integer BufSize);

  // A property a persistent class stores itself, outside its published ones (a string list's
  // "Strings", a bitmap's "Data"): the reader calls ReadData when the stream names it, the
  // writer calls WriteData when HasData.
  virtual void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
  // The same for raw bytes, handed over as a stream.
  virtual void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData, bool HasData) = 0;

  TStream* GetStream() const { return FStream; }
  TComponent* GetRoot() const { return FRoot; }
  TComponent* GetLookupRoot() const { return FLookupRoot; }

 protected:
  TStream* FStream;
  std::vector<uint8_t> FBuffer;
  size_t FBufPos = 0;
  size_t FBufEnd = 0;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
};

// ---- the class registry ----------------------------------------------------------------------
// Persistent classes a stream may name. Registering a class again is nothing; another class of
// the same name raises EFilerError "A class named %s already exists".
void RegisterClass(const TClass* AClass);
void RegisterClasses(std::initializer_list<const TClass*> Classes);
void UnRegisterClass(const TClass* AClass);
// By name, without regard to case; GetClass gives null, FindClass raises EClassNotFound
// "Class %s not found".
const TClass* GetClass(const String& ClassName);
const TClass* FindClass(const String& ClassName);

// Registers a library's classes while the library is loaded: a static object of the library,
// so they leave the registry when it is unloaded.
class TClassRegistration {
 public:
  TClassRegistration(std::initializer_list<const TClass*> Classes);
  ~TClassRegistration();
  TClassRegistration(const TClassRegistration&) = delete;
  TClassRegistration& operator=(const TClassRegistration&) = delete;

 private:
  std::vector<const TClass*> FClasses;
};

// ---- components by name --------------------------------------------------------------------
// The top-level components (forms) a reference "Form2.Button1" may start from. Forms
// register the lookup of the screen's forms.
using TFindGlobalComponent = TComponent* (*)(const String& Name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc);
TComponent* FindGlobalComponent(const String& Name);
// Follows "A.B.C" from Root through owned components; null when a step is missing.
TComponent* FindNestedComponent(TComponent* Root, const String& NamePath);

// ---- form resources -----------------------------------------------------------------------------
// Where a form class's resource comes from: the bytes of the stream stored for that class (a
// "TPF0" stream, with or without a resource header), or false when the class has none. The
// default reads the raw-data resource named after the class from the module that holds the
// class (FindClassHInstance), as the build links it; tests may put another in its place.
using TFormResourceFinder = std::function<bool(const TClass* FormClass, String& Data)>;
TFormResourceFinder SetFormResourceFinder(TFormResourceFinder Finder);
bool FindFormResource(const TClass* FormClass, String& Data);
// The module (library) that holds a class.
HMODULE FindClassHInstance(const TClass* AClass);
