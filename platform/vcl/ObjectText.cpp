// Binary form streams to text form files and back.
#include "ObjectText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "Parser.h"
#include "Reader.h"
#include "Writer.h"

namespace {

constexpr const char* SInvalidImage = "Invalid stream format";
constexpr const char* SInvalidProperty = "Invalid property value";
constexpr const char* SNestedTooDeeply = "Nested too deeply";
// Strings are broken into "'...' +" lines of this many characters.
constexpr size_t LineLength = 64;

// A float as text that reads back as the same float: the shortest digits that do, plain up
// to fifteen integer digits and down to 1E-5, with a fraction so that it is read as a float
// and not as an integer; scientific ("1.5E20") beyond.
template <class F>
String FloatText(F value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  String sci(buf, r.ptr);  // "-d.ddde+XX"
  const size_t e = sci.find('e');
  const bool negative = sci[0] == '-';
  String digits;
  for (size_t i = negative ? 1 : 0; i < e; ++i)
    if (sci[i] != '.') digits += sci[i];
  const int exponent = std::atoi(sci.c_str() + e + 1);
  String out = negative ? "-" : "";
  if (exponent >= -5 && exponent < 15) {
    if (exponent < 0) {
      out += "0." + String(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
      const size_t intDigits = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= intDigits)
        out += digits + String(intDigits - digits.size(), '0') + ".0";
      else
        out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
    }
  } else {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exponent);
  }
  return out;
}

// ---- binary to text ----------------------------------------------------------------------------

// Names the text can hold: identifiers, joined by dots where a path or a reference allows it.
// Data with other names would turn into text that reads as something else, so it is refused
// as damaged.
bool IsDottedIdent(const String& s) {
  size_t start = 0;
  for (;;) {
    const size_t dot = s.find('.', start);
    if (!IsValidIdent(s.substr(start, dot == String::npos ? String::npos : dot - start))) return false;
    if (dot == String::npos) return true;
    start = dot + 1;
  }
}

// A property named like a keyword of the text would end its object early.
bool IsPropertyName(const String& s) {
  const String first = s.substr(0, s.find('.'));
  return IsDottedIdent(s) && !SameText(first, "end") && !SameText(first, "object") && !SameText(first, "inherited") &&
         !SameText(first, "inline");
}

String CheckedName(const String& name, bool (*valid)(const String&)) {
  if (!valid(name)) throw EReadError(SInvalidImage);
  return name;
}

bool IsIdentOrEmpty(const String& s) { return s.empty() || IsValidIdent(s); }

class TBinaryToText {
 public:
  TBinaryToText(TReader* Reader, TStream* Output) : FReader(Reader), FOutput(Output) {}

  void ConvertObject() {
    Nest();
    TFilerFlags flags;
    Integer position = 0;
    FReader->ReadPrefix(flags, position);
    const String className = CheckedName(FReader->ReadStr(), IsValidIdent);
    const String objectName = CheckedName(FReader->ReadStr(), IsIdentOrEmpty);
    WriteIndent();
    Write(flags.Contains(ffInherited) ? "inherited " : flags.Contains(ffInline) ? "inline " : "object ");
    if (!objectName.empty()) Write(objectName + ": ");
    Write(className);
    if (flags.Contains(ffChildPos)) Write(" [" + IntToStr(position) + "]");
    Write("\r\n");
    ++FLevel;
    while (!FReader->EndOfList()) ConvertProperty();
    FReader->ReadListEnd();
    while (!FReader->EndOfList()) ConvertObject();
    FReader->ReadListEnd();
    --FLevel;
    WriteIndent();
    Write("end\r\n");
    --FDepth;
  }

  void Flush() { FOutput->WriteBuffer(FText.data(), static_cast<Integer>(FText.size())); }
  // A value alone, as it stands after "Name = ".
  String ValueText() {
    ConvertValue();
    return FText;
  }

 private:
  void Nest() {
    if (++FDepth > MaxFilerNesting) throw EReadError(SInvalidImage);
  }
  void Write(const String& s) { FText += s; }
  void WriteIndent() { FText.append(2 * static_cast<size_t>(FLevel), ' '); }
  void NewLine() {
    Write("\r\n");
    WriteIndent();
  }

  void ConvertProperty() {
    WriteIndent();
    Write(CheckedName(FReader->ReadStr(), IsPropertyName) + " = ");
    ConvertValue();
    Write("\r\n");
  }

  // Printable characters in quotes, others as #n; lines of LineLength characters joined by +.
  void WriteString(const WideString& s) {
    if (s.empty()) {
      Write("''");
      return;
    }
    auto printable = [](char16_t c) { return c >= ' ' && c <= 0xFF && c != '\''; };
    ++FLevel;
    if (s.size() > LineLength) NewLine();
    size_t i = 0, lineStart = 0;
    do {
      bool lineBreak = false;
      if (printable(s[i])) {
        const size_t j = i;
        do ++i;
        while (i < s.size() && printable(s[i]) && i - lineStart < LineLength);
        if (i - lineStart >= LineLength) lineBreak = true;
        Write("'");
        for (size_t k = j; k < i; ++k) FText += static_cast<char>(s[k]);
        Write("'");
      } else {
        Write("#" + std::to_string(static_cast<unsigned>(s[i])));
        ++i;
        if (i - lineStart >= LineLength) lineBreak = true;
      }
      if (lineBreak && i < s.size()) {
        Write(" +");
        NewLine();
        lineStart = i;
      }
    } while (i < s.size());
    --FLevel;
  }

  void ConvertValue() {
    Nest();
    switch (FReader->NextValue()) {
      case vaList:
        FReader->ReadValue();
        Write("(");
        ++FLevel;
        while (!FReader->EndOfList()) {
          NewLine();
          ConvertValue();
        }
        FReader->ReadListEnd();
        --FLevel;
        Write(")");
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        Write(IntToStr(FReader->ReadInt64()));
        break;
      case vaExtended:
        Write(FloatText(FReader->ReadFloat()));
        break;
      case vaSingle:
        Write(FloatText(FReader->ReadSingle()) + "s");
        break;
      case vaCurrency:
        Write(IntToStr(FReader->ReadCurrency()) + "c");
        break;
      case vaDate:
        Write(FloatText(FReader->ReadDate()) + "d");
        break;
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        WriteString(FReader->ReadWideString());
        break;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil:
      case vaNull:
        Write(CheckedName(FReader->ReadIdent(), IsDottedIdent));
        break;
      case vaBinary: {
        FReader->ReadValue();
        uint8_t b[4];
        FReader->Read(b, 4);
        Int64 count = static_cast<Int64>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
        Write("{");
        ++FLevel;
        static constexpr char kHex[] = "0123456789ABCDEF";
        uint8_t chunk[32];
        while (count > 0) {
          NewLine();
          const Integer n = static_cast<Integer>(std::min<Int64>(count, 32));
          FReader->Read(chunk, n);
          for (Integer k = 0; k < n; ++k) {
            FText += kHex[chunk[k] >> 4];
            FText += kHex[chunk[k] & 15];
          }
          count -= n;
        }
        --FLevel;
        Write("}");
        break;
      }
      case vaSet: {
        FReader->ReadValue();
        Write("[");
        bool first = true;
        for (String s; !(s = FReader->ReadStr()).empty(); first = false)
          Write((first ? "" : ", ") + CheckedName(s, IsValidIdent));
        Write("]");
        break;
      }
      case vaCollection:
        FReader->ReadValue();
        Write("<");
        ++FLevel;
        while (!FReader->EndOfList()) {
          NewLine();
          Write("item");
          const TValueType next = FReader->NextValue();
          if (next >= vaInt8 && next <= vaInt32) Write(" [" + IntToStr(FReader->ReadInteger()) + "]");
          Write("\r\n");
          FReader->CheckValue(vaList);
          ++FLevel;
          while (!FReader->EndOfList()) ConvertProperty();
          FReader->ReadListEnd();
          --FLevel;
          WriteIndent();
          Write("end");
        }
        FReader->ReadListEnd();
        Write(">");
        --FLevel;
        break;
      default:
        throw EReadError(SInvalidImage);
    }
    --FDepth;
  }

  TReader* FReader;
  TStream* FOutput;
  String FText;
  int FLevel = 0;
  int FDepth = 0;
};

// ---- text to binary ----------------------------------------------------------------------------

class TTextToBinary {
 public:
  TTextToBinary(TParser* Parser, TWriter* Writer) : FParser(Parser), FWriter(Writer) {}

  void ConvertObject() {
    Nest();
    TFilerFlags flags;
    if (FParser->TokenSymbolIs("INHERITED"))
      flags.Include(ffInherited);
    else if (FParser->TokenSymbolIs("INLINE"))
      flags.Include(ffInline);
    else
      FParser->CheckTokenSymbol("OBJECT");
    FParser->NextToken();
    ConvertHeader(flags);
    while (!FParser->TokenSymbolIs("END") && !FParser->TokenSymbolIs("OBJECT") && !FParser->TokenSymbolIs("INHERITED") &&
           !FParser->TokenSymbolIs("INLINE"))
      ConvertProperty();
    FWriter->WriteListEnd();
    while (!FParser->TokenSymbolIs("END")) ConvertObject();
    FWriter->WriteListEnd();
    FParser->NextToken();
    --FDepth;
  }

 private:
  void Nest() {
    if (++FDepth > MaxFilerNesting) FParser->Error(SNestedTooDeeply);
  }

  void ConvertHeader(TFilerFlags flags) {
    FParser->CheckToken(toSymbol);
    String className = FParser->TokenString();
    String objectName;
    if (FParser->NextToken() == ':') {
      FParser->NextToken();
      FParser->CheckToken(toSymbol);
      objectName = className;
      className = FParser->TokenString();
      FParser->NextToken();
    }
    Integer position = 0;
    if (FParser->GetToken() == '[') {
      FParser->NextToken();
      FParser->CheckToken(toInteger);
      const Int64 p = FParser->TokenInt();
      if (p < INT32_MIN || p > INT32_MAX) FParser->Error(SInvalidProperty);
      position = static_cast<Integer>(p);
      FParser->NextToken();
      FParser->CheckToken(']');
      FParser->NextToken();
      flags.Include(ffChildPos);
    }
    // A class name's length byte of 0xF0 or more would read back as a prefix of flags, and a
    // name past 255 characters would be cut short: the binary form cannot hold either.
    if (className.size() >= 0xF0 || objectName.size() > 255) FParser->Error(SInvalidImage);
    FWriter->WritePrefix(flags, position);
    FWriter->WriteStr(className);
    FWriter->WriteStr(objectName);
  }

  void ConvertProperty() {
    FParser->CheckToken(toSymbol);
    String name = FParser->TokenString();
    FParser->NextToken();
    while (FParser->GetToken() == '.') {
      FParser->NextToken();
      FParser->CheckToken(toSymbol);
      name += "." + FParser->TokenString();
      FParser->NextToken();
    }
    FWriter->WriteStr(name);
    FParser->CheckToken('=');
    FParser->NextToken();
    ConvertValue();
  }

  void ConvertValue() {
    Nest();
    switch (FParser->GetToken()) {
      case toString:
      case toWString: {
        // Parts joined with +, wide as soon as one part holds a character above 255.
        WideString value = FParser->TokenWideString();
        bool wide = FParser->GetToken() == toWString;
        while (FParser->NextToken() == '+') {
          FParser->NextToken();
          if (FParser->GetToken() != toWString) FParser->CheckToken(toString);
          value += FParser->TokenWideString();
          wide = wide || FParser->GetToken() == toWString;
        }
        if (wide) {
          FWriter->WriteWideString(value);
        } else {
          String narrow(value.size(), '\0');
          for (size_t i = 0; i < value.size(); ++i) narrow[i] = static_cast<char>(value[i]);
          FWriter->WriteString(narrow);
        }
        break;
      }
      case toInteger:
        FWriter->WriteInteger(FParser->TokenInt());
        FParser->NextToken();
        break;
      case toFloat:
        switch (FParser->GetFloatType()) {
          case 's': FWriter->WriteSingle(FParser->TokenSingle()); break;
          case 'c': FWriter->WriteCurrency(FParser->TokenCurrency()); break;
          case 'd': FWriter->WriteDate(FParser->TokenFloat()); break;
          default: FWriter->WriteFloat(FParser->TokenFloat());
        }
        FParser->NextToken();
        break;
      case toSymbol:
        FWriter->WriteIdent(FParser->TokenComponentIdent());
        FParser->NextToken();
        break;
      case '[':
        FParser->NextToken();
        FWriter->WriteValue(vaSet);
        if (FParser->GetToken() != ']') {
          for (;;) {
            FParser->CheckToken(toSymbol);
            FWriter->WriteStr(FParser->TokenString());
            if (FParser->NextToken() == ']') break;
            FParser->CheckToken(',');
            FParser->NextToken();
          }
        }
        FWriter->WriteStr(String());
        FParser->NextToken();
        break;
      case '(':
        FParser->NextToken();
        FWriter->WriteListBegin();
        while (FParser->GetToken() != ')') ConvertValue();
        FParser->NextToken();
        FWriter->WriteListEnd();
        break;
      case '{': {
        TAutoFree<TMemoryStream> data(new TMemoryStream());
        FParser->HexToBinary(data.Get());
        FWriter->WriteBinary(data->GetMemory(), static_cast<Integer>(data->GetSize()));
        break;
      }
      case '<':
        FParser->NextToken();
        FWriter->WriteValue(vaCollection);
        while (FParser->GetToken() != '>') {
          FParser->CheckTokenSymbol("item");
          FParser->NextToken();
          if (FParser->GetToken() == '[') {
            FParser->NextToken();
            FParser->CheckToken(toInteger);
            FWriter->WriteInteger(FParser->TokenInt());
            FParser->NextToken();
            FParser->CheckToken(']');
            FParser->NextToken();
          }
          FWriter->WriteListBegin();
          while (!FParser->TokenSymbolIs("end")) ConvertProperty();
          FWriter->WriteListEnd();
          FParser->NextToken();
        }
        FWriter->WriteListEnd();
        FParser->NextToken();
        break;
      default:
        FParser->Error(SInvalidProperty);
    }
    --FDepth;
  }

  TParser* FParser;
  TWriter* FWriter;
  int FDepth = 0;
};

}  // namespace

void ObjectBinaryToText(TStream* Input, TStream* Output) {
  TAutoFree<TReader> reader(new TReader(Input, 4096));
  reader->ReadSignature();
  TBinaryToText converter(reader.Get(), Output);
  converter.ConvertObject();
  converter.Flush();
}

String ObjectValueToText(TReader* Reader) { return TBinaryToText(Reader, nullptr).ValueText(); }

void ObjectTextToBinary(TStream* Input, TStream* Output) {
  TAutoFree<TParser> parser(new TParser(Input));
  TAutoFree<TWriter> writer(new TWriter(Output, 4096));
  writer->WriteSignature();
  TTextToBinary(parser.Get(), writer.Get()).ConvertObject();
}

void ObjectResourceToText(TStream* Input, TStream* Output) {
  Input->ReadResHeader();
  ObjectBinaryToText(Input, Output);
}

void ObjectTextToResource(TStream* Input, TStream* Output) {
  TAutoFree<TMemoryStream> data(new TMemoryStream());
  ObjectTextToBinary(Input, data.Get());
  // The resource is named after the root's class.
  data->SetPosition(0);
  String className;
  {
    TAutoFree<TReader> reader(new TReader(data.Get(), 4096));
    reader->ReadSignature();
    TFilerFlags flags;
    Integer position;
    reader->ReadPrefix(flags, position);
    className = reader->ReadStr();
  }
  Int64 fixup = 0;
  Output->WriteResourceHeader(className, fixup);
  Output->CopyFrom(data.Get(), 0);
  Output->FixupResourceHeader(fixup);
}

TStreamOriginalFormat TestStreamFormat(TStream* Stream) {
  const Int64 pos = Stream->GetPosition();
  char head[16] = {};
  const Integer n = Stream->Read(head, sizeof head);
  Stream->SetPosition(pos);
  if (n >= 3 && static_cast<uint8_t>(head[0]) == 0xFF && head[1] == 10 && head[2] == 0) return sofBinary;
  if (n >= 4 && String(head, 4) == "TPF0") return sofBinary;
  Integer i = 0;
  while (i < n && static_cast<unsigned char>(head[i]) <= ' ') ++i;
  String word;
  while (i < n && std::isalpha(static_cast<unsigned char>(head[i]))) word += head[i++];
  if (SameText(word, "object") || SameText(word, "inherited") || SameText(word, "inline")) return sofText;
  return sofUnknown;
}
