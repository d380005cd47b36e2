// TReader: reads the binary form format, value by value and as a component tree whose
// properties are set through the published properties of the classes it names.
#pragma once

#include "Classes.h"
#include "Filer.h"
#include "TypInfo.h"

class TCollection;

// A damaged, cut-short or unknown stream raises: EReadError with the original's words
// ("Stream read error", "Invalid stream format", "Invalid property value", "Property %s does
// not exist"), EClassNotFound ("Class %s not found"). Once the root's name is read, the
// message says where: "Error reading Form1.Button1.Caption: Invalid property value".
class TReader : public TFiler {
  DECLARE_CLASS(TReader, TFiler)
 public:
  TReader(TStream* Stream, Integer BufSize = 4096);
  // Gives back what was buffered but not read, so the stream stands right after the data.
  void Destroy() override;

  // ---- values ----
  void Read(void* Buf, Integer Count);
  void ReadSignature();  // "TPF0"
  void ReadPrefix(TFilerFlags& Flags, Integer& AChildPos);
  String ReadStr();  // a short string: one length byte, then the characters
  TValueType ReadValue();
  TValueType NextValue();
  void CheckValue(TValueType Value);
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  void SkipValue();
  Integer ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  String ReadString();  // any string kind, wide characters above 255 as '?'
  WideString ReadWideString();
  String ReadIdent();  // an identifier, or False, True, nil, Null
  double ReadFloat();
  float ReadSingle();
  Int64 ReadCurrency();  // the count of ten-thousandths, as the currency type stores it
  double ReadDate();
  Int64 GetPosition();

  // ---- components ----
  // Reads a whole stream into Root (its class name is not checked, its name is made unique
  // among the global components), or into a new component of the class the stream names
  // when Root is null. References between components are resolved once everything is read,
  // then each component read gets Loaded, the root first. On any error the components this
  // read created are freed again (a new root with them) and the error is raised.
  TComponent* ReadRootComponent(TComponent* Root);
  TComponent* ReadComponent(TComponent* Component);
  // A component's properties and then its children.
  void ReadData(TComponent* Instance);
  void ReadProperty(TPersistent* AInstance);
  void ReadCollection(TCollection* Collection);

  TComponent* GetOwner() const { return FOwner; }
  void SetOwner(TComponent* Owner) { FOwner = Owner; }
  TComponent* GetParent() const { return FParent; }
  void SetParent(TComponent* Parent) { FParent = Parent; }

  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData, bool HasData) override;

 private:
  struct TFixup {
    TPersistent* Instance;
    PPropInfo PropInfo;
    String Name;
    String Component, Property;  // where it was read, for errors found while resolving
  };

  uint8_t ReadByte();
  Int64 Remaining();
  void CheckRemaining(Int64 Count);
  void SkipBytes(Int64 Count);
  uint32_t ReadCount();
  uint64_t ReadLE64();
  void ReadPropValue(TPersistent* Instance, PPropInfo PropInfo);
  Int64 ReadOrdinal(PPropInfo PropInfo);
  const TClass* FindComponentClass(const String& ClassName);
  String FindUniqueName(const String& Name);
  void ResolveFixups();
  void DropFixups(const TCollection* Collection);
  void Nest();
  String ErrorPath() const;
  [[noreturn]] static void PropValueError();
  [[noreturn]] static void PropertyError(const String& Name);

  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  String FPropName;  // the defined property being looked for
  int FNesting = 0;
  std::vector<TFixup> FFixups;
  std::vector<TComponent*> FLoaded;
  std::vector<TComponent*> FCreated;
  // Where reading stands, for error messages: left as they were when something raised.
  String FRootName, FContextComponent, FContextProperty, FPropPrefix;
};

// Reads the form resources of Instance's class and of its ancestors below RootAncestor
// (ancestors first) into Instance; true if there was any (Filer.h: FindFormResource). The
// components read get Loaded once, after the last resource.
bool InitInheritedComponent(TComponent* Instance, const TClass* RootAncestor);
