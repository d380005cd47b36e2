// Writing form streams: values, properties and components.
#include "Writer.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_CLASS(TWriter, TFiler)

TWriter::TWriter(TStream* Stream, Integer BufSize) : TFiler(Stream, BufSize) {}

// ---- values ------------------------------------------------------------------------------------

void TWriter::Write(const void* Buf, Integer Count) { FStream->WriteBuffer(Buf, Count); }

void TWriter::WriteLE(uint64_t Value, int Bytes) {
  uint8_t b[8];
  for (int i = 0; i < Bytes; ++i) b[i] = static_cast<uint8_t>(Value >> (8 * i));
  Write(b, Bytes);
}

void TWriter::WriteSignature() { Write("TPF0", 4); }

void TWriter::WritePrefix(TFilerFlags Flags, Integer AChildPos) {
  if (Flags.Empty()) return;
  const uint8_t prefix = static_cast<uint8_t>(0xF0 | Flags.Bits());
  Write(&prefix, 1);
  if (Flags.Contains(ffChildPos)) WriteInteger(AChildPos);
}

void TWriter::WriteStr(const String& Value) {
  const uint8_t len = static_cast<uint8_t>(std::min<size_t>(Value.size(), 255));
  Write(&len, 1);
  Write(Value.data(), len);
}

void TWriter::WriteValue(TValueType Value) {
  const uint8_t b = Value;
  Write(&b, 1);
}

void TWriter::WriteInteger(Int64 Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    WriteLE(static_cast<uint64_t>(Value), 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    WriteLE(static_cast<uint64_t>(Value), 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    WriteLE(static_cast<uint64_t>(Value), 4);
  } else {
    WriteValue(vaInt64);
    WriteLE(static_cast<uint64_t>(Value), 8);
  }
}

void TWriter::WriteString(const String& Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(Value);
  } else {
    if (Value.size() > INT32_MAX) throw EWriteError("Stream write error");
    WriteValue(vaLString);
    WriteLE(Value.size(), 4);
    Write(Value.data(), static_cast<Integer>(Value.size()));
  }
}

void TWriter::WriteWideString(const WideString& Value) {
  if (Value.size() > INT32_MAX / 2) throw EWriteError("Stream write error");
  WriteValue(vaWString);
  WriteLE(Value.size(), 4);
  for (char16_t c : Value) WriteLE(c, 2);
}

void TWriter::WriteIdent(const String& Ident) {
  if (SameText(Ident, "False"))
    WriteValue(vaFalse);
  else if (SameText(Ident, "True"))
    WriteValue(vaTrue);
  else if (SameText(Ident, "nil"))
    WriteValue(vaNil);
  else if (SameText(Ident, "Null"))
    WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteFloat(double Value) {
  uint8_t b[10];
  DoubleToExtended(Value, b);
  WriteValue(vaExtended);
  Write(b, 10);
}

void TWriter::WriteSingle(float Value) {
  uint32_t bits;
  std::memcpy(&bits, &Value, 4);
  WriteValue(vaSingle);
  WriteLE(bits, 4);
}

void TWriter::WriteCurrency(Int64 Value) {
  WriteValue(vaCurrency);
  WriteLE(static_cast<uint64_t>(Value), 8);
}

void TWriter::WriteDate(double Value) {
  uint64_t bits;
  std::memcpy(&bits, &Value, 8);
  WriteValue(vaDate);
  WriteLE(bits, 8);
}

void TWriter::WriteBinary(const void* Data, Integer Count) {
  WriteValue(vaBinary);
  WriteLE(static_cast<uint32_t>(Count), 4);
  Write(Data, Count);
}

// ---- properties --------------------------------------------------------------------------------

void TWriter::WritePropName(const String& Name) { WriteStr(FPropPath + Name); }

void TWriter::DefineProperty(const String& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const String& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  TAutoFree<TMemoryStream> data(new TMemoryStream());
  WriteData(data.Get());
  WritePropName(Name);
  WriteBinary(data->GetMemory(), static_cast<Integer>(data->GetSize()));
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (PPropInfo p : GetPropInfos(Instance->ClassType()))
    if (!p->IsStored || p->IsStored(Instance)) WriteProperty(Instance, p);
  Instance->DefineProperties(this);
}

void TWriter::WriteProperty(TPersistent* Instance, PPropInfo PropInfo) {
  const TTypeInfo* type = PropInfo->PropType;
  switch (PropInfo->Kind) {
    case tkInteger:
    case tkEnumeration:
    case tkSet: {
      if (!PropInfo->GetOrd || !PropInfo->SetOrd) return;
      const Int64 v = PropInfo->GetOrd(Instance);
      if (v == PropInfo->Default) return;
      WritePropName(PropInfo->Name);
      String ident;
      if (PropInfo->Kind == tkEnumeration) {
        WriteIdent(GetEnumName(type, v));
      } else if (PropInfo->Kind == tkSet) {
        WriteValue(vaSet);
        for (int i = 0; i < 64; ++i)
          if (static_cast<uint64_t>(v) >> i & 1) WriteStr(GetEnumName(type ? type->CompType : nullptr, i));
        WriteStr(String());
      } else if (IntToIdent(type, v, ident)) {
        WriteIdent(ident);
      } else {
        WriteInteger(v);
      }
      return;
    }
    case tkString: {
      if (!PropInfo->GetStr || !PropInfo->SetStr) return;
      const String s = PropInfo->GetStr(Instance);
      if (s.empty()) return;
      WritePropName(PropInfo->Name);
      WriteString(s);
      return;
    }
    case tkFloat: {
      if (!PropInfo->GetFloat || !PropInfo->SetFloat) return;
      const double v = PropInfo->GetFloat(Instance);
      if (v == 0) return;
      WritePropName(PropInfo->Name);
      WriteFloat(v);
      return;
    }
    case tkMethod: {
      if (!PropInfo->GetMethod) return;
      const TMethodValue m = PropInfo->GetMethod(Instance);
      // Only a handler of the form being written can be named in its stream.
      const TMethodEntry* entry =
          m.Code && FLookupRoot && m.Data == static_cast<void*>(FLookupRoot) ? FLookupRoot->ClassType()->FindMethodOf(FLookupRoot, m) : nullptr;
      if (!entry) return;
      WritePropName(PropInfo->Name);
      WriteIdent(entry->Name);
      return;
    }
    case tkClass: {
      TObject* obj = PropInfo->GetObj ? PropInfo->GetObj(Instance) : nullptr;
      if (!obj) return;
      if (PropInfo->SetObj) {
        // A reference: by name, with the owner's name when another form owns it.
        auto* c = As<TComponent>(obj);
        if (!c || c->GetName().empty()) return;
        String name = c->GetName();
        if (c != FLookupRoot && c->GetOwner() != FLookupRoot) {
          if (!c->GetOwner() || c->GetOwner()->GetName().empty()) return;
          name = c->GetOwner()->GetName() + "." + name;
        }
        WritePropName(PropInfo->Name);
        WriteIdent(name);
      } else if (auto* collection = As<TCollection>(obj)) {
        WritePropName(PropInfo->Name);
        WriteCollection(collection);
      } else if (auto* persistent = As<TPersistent>(obj)) {
        const String saved = FPropPath;
        FPropPath += String(PropInfo->Name) + ".";
        WriteProperties(persistent);
        FPropPath = saved;
      }
      return;
    }
    default:
      return;
  }
}

void TWriter::WriteCollection(TCollection* Collection) {
  WriteValue(vaCollection);
  const String saved = FPropPath;
  FPropPath.clear();
  for (Integer i = 0; i < Collection->GetCount(); ++i) {
    WriteListBegin();
    WriteProperties(Collection->GetItem(i));
    WriteListEnd();
  }
  FPropPath = saved;
  WriteListEnd();
}

// ---- components --------------------------------------------------------------------------------

void TWriter::WriteData(TComponent* Instance) {
  WriteStr(Instance->ClassName());
  WriteStr(Instance->GetName());
  WriteProperties(Instance);
  WriteListEnd();
  Instance->GetChildren(MethodOf<&TWriter::WriteComponent>(this), FRoot);
  WriteListEnd();
}

void TWriter::WriteComponent(TComponent* Component) {
  Component->SetComponentStateFlag(csWriting, true);
  try {
    Component->WriteState(this);
  } catch (...) {
    Component->SetComponentStateFlag(csWriting, false);
    throw;
  }
  Component->SetComponentStateFlag(csWriting, false);
}

void TWriter::WriteRootComponent(TComponent* Root) {
  FRoot = FLookupRoot = Root;
  WriteSignature();
  WriteComponent(Root);
}

// ---- streams -----------------------------------------------------------------------------------

void TStream::WriteComponent(TComponent* Instance) {
  TAutoFree<TWriter> writer(new TWriter(this, 4096));
  writer->WriteRootComponent(Instance);
}

void TStream::WriteComponentRes(const String& ResName, TComponent* Instance) {
  Int64 fixup = 0;
  WriteResourceHeader(ResName, fixup);
  WriteComponent(Instance);
  FixupResourceHeader(fixup);
}
