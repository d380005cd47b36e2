// TWriter: writes the binary form format, value by value and as a component tree from the
// published properties of its classes.
#pragma once

#include "Classes.h"
#include "Filer.h"
#include "TypInfo.h"

class TCollection;

class TWriter : public TFiler {
  DECLARE_CLASS(TWriter, TFiler)
 public:
  TWriter(TStream* Stream, Integer BufSize = 4096);

  // ---- values ----
  void Write(const void* Buf, Integer Count);
  void WriteSignature();  // "TPF0"
  void WritePrefix(TFilerFlags Flags, Integer AChildPos);
  // A short string; a longer one is cut at 255 characters, as the format holds no more.
  void WriteStr(const String& Value);
  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // The smallest of vaInt8, vaInt16, vaInt32 and vaInt64 that holds the value.
  void WriteInteger(Int64 Value);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  // vaString up to 255 characters, vaLString beyond.
  void WriteString(const String& Value);
  void WriteWideString(const WideString& Value);
  // False, True, nil and Null (in any case) as their own kinds, anything else as vaIdent.
  void WriteIdent(const String& Ident);
  void WriteFloat(double Value);  // vaExtended
  void WriteSingle(float Value);
  void WriteCurrency(Int64 Value);  // the count of ten-thousandths
  void WriteDate(double Value);
  void WriteBinary(const void* Data, Integer Count);

  // ---- components ----
  // "TPF0" and the root with everything it owns, as the original writes a form: published
  // properties that differ from their defaults, defined properties, then the children.
  void WriteRootComponent(TComponent* Root);
  void WriteComponent(TComponent* Component);
  void WriteData(TComponent* Instance);
  void WriteProperties(TPersistent* Instance);
  void WriteCollection(TCollection* Collection);
  Int64 GetPosition() { return FStream->GetPosition(); }

  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData, bool HasData) override;

 private:
  void WriteProperty(TPersistent* Instance, PPropInfo PropInfo);
  void WritePropName(const String& Name);
  void WriteLE(uint64_t Value, int Bytes);
  String FPropPath;
};
