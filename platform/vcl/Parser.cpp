// The tokenizer of text form files.
#include "Parser.h"

#include <charconv>
#include <cstring>

IMPLEMENT_CLASS(TParser, TObject)

namespace {
constexpr const char* SIdentifierExpected = "Identifier expected";
constexpr const char* SStringExpected = "String expected";
constexpr const char* SNumberExpected = "Number expected";
constexpr const char* SInvalidString = "Invalid string constant";
constexpr const char* SInvalidBinary = "Invalid binary value";

bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsAlpha(c) || IsDigit(c); }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

TParser::TParser(TStream* Stream) {
  const Int64 size = Stream->GetSize() - Stream->GetPosition();
  if (size > 0) {
    FText.resize(static_cast<size_t>(size));
    FText.resize(static_cast<size_t>(Stream->Read(FText.data(), static_cast<Integer>(size))));
  }
  FText.resize(std::strlen(FText.c_str()));
  NextToken();
}

void TParser::Error(const String& Message) const {
  throw EParserError(Format("%s on line %d", Message.c_str(), FSourceLine));
}

void TParser::SkipBlanks() {
  while (FPos < FText.size()) {
    const char c = FText[FPos];
    if (c == '\n') ++FSourceLine;
    if (static_cast<unsigned char>(c) > ' ') return;
    ++FPos;
  }
}

char TParser::NextToken() {
  SkipBlanks();
  FTokenStart = FPos;
  FFloatType = 0;
  FTokenWide.clear();
  if (FPos >= FText.size()) {
    FTokenString.clear();
    return FToken = toEOF;
  }
  const char c = FText[FPos];
  if (IsAlpha(c)) {
    while (FPos < FText.size() && IsAlnum(FText[FPos])) ++FPos;
    FToken = toSymbol;
  } else if (c == '\'' || c == '#') {
    // Quoted runs and #n characters follow each other without spaces: 'a'#13#10'b'.
    bool wide = false;
    while (FPos < FText.size() && (FText[FPos] == '\'' || FText[FPos] == '#')) {
      if (FText[FPos] == '\'') {
        ++FPos;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == '\r' || FText[FPos] == '\n') Error(SInvalidString);
          if (FText[FPos] == '\'') {
            if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
              FTokenWide.push_back(u'\'');
              FPos += 2;
              continue;
            }
            ++FPos;
            break;
          }
          FTokenWide.push_back(static_cast<unsigned char>(FText[FPos++]));
        }
      } else {
        ++FPos;
        uint32_t code = 0;
        size_t digits = 0;
        const bool hex = FPos < FText.size() && FText[FPos] == '$';
        if (hex) ++FPos;
        for (; FPos < FText.size(); ++FPos, ++digits) {
          const int d = hex ? HexValue(FText[FPos]) : IsDigit(FText[FPos]) ? FText[FPos] - '0' : -1;
          if (d < 0) break;
          code = code * (hex ? 16 : 10) + static_cast<uint32_t>(d);
          if (code > 0xFFFF) Error(SInvalidString);
        }
        if (digits == 0) Error(SInvalidString);
        if (code > 0xFF) wide = true;
        FTokenWide.push_back(static_cast<char16_t>(code));
      }
    }
    FTokenString.resize(FTokenWide.size());
    for (size_t i = 0; i < FTokenWide.size(); ++i)
      FTokenString[i] = FTokenWide[i] <= 0xFF ? static_cast<char>(FTokenWide[i]) : '?';
    return FToken = wide ? toWString : toString;
  } else if (c == '$') {
    ++FPos;
    while (FPos < FText.size() && HexValue(FText[FPos]) >= 0) ++FPos;
    FToken = toInteger;
  } else if (c == '-' || IsDigit(c)) {
    ++FPos;
    while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
    FToken = toInteger;
    while (FPos < FText.size() && (IsDigit(FText[FPos]) || std::strchr(".eE+-", FText[FPos]))) {
      ++FPos;
      FToken = toFloat;
    }
    if (FPos < FText.size() && std::strchr("cCdDsS", FText[FPos])) {
      FFloatType = static_cast<char>(FText[FPos] | 0x20);
      FTokenString.assign(FText, FTokenStart, FPos - FTokenStart);
      ++FPos;
      return FToken = toFloat;
    }
  } else {
    ++FPos;
    FToken = c;
  }
  FTokenString.assign(FText, FTokenStart, FPos - FTokenStart);
  return FToken;
}

void TParser::CheckToken(char T) {
  if (FToken == T) return;
  switch (T) {
    case toSymbol: Error(SIdentifierExpected);
    case toString:
    case toWString: Error(SStringExpected);
    case toInteger:
    case toFloat: Error(SNumberExpected);
    default: Error(Format("'%c' expected", T));
  }
}

void TParser::CheckTokenSymbol(const String& S) {
  if (!TokenSymbolIs(S)) Error(Format("%s expected", S.c_str()));
}

Int64 TParser::TokenInt() {
  const String& s = FTokenString;
  Int64 v = 0;
  bool ok;
  if (!s.empty() && s[0] == '$') {
    uint64_t u = 0;
    auto r = std::from_chars(s.data() + 1, s.data() + s.size(), u, 16);
    ok = s.size() > 1 && r.ec == std::errc() && r.ptr == s.data() + s.size();
    v = static_cast<Int64>(u);
  } else {
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    ok = r.ec == std::errc() && r.ptr == s.data() + s.size();
  }
  if (!ok) Error(Format("'%s' is not a valid integer value", s.c_str()));
  return v;
}

template <class F>
F TParser::TokenNumber() const {
  const String& s = FTokenString;
  F v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) Error(Format("'%s' is not a valid floating point value", s.c_str()));
  return v;
}

double TParser::TokenFloat() { return TokenNumber<double>(); }

// Read as a single straight from the digits: through a double it could round twice.
float TParser::TokenSingle() { return TokenNumber<float>(); }

Int64 TParser::TokenCurrency() {
  const String& s = FTokenString;
  Int64 v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return v;
  const double d = TokenFloat();
  if (!(d >= -9.2e18 && d <= 9.2e18)) Error(Format("'%s' is not a valid floating point value", s.c_str()));
  return static_cast<Int64>(d < 0 ? d - 0.5 : d + 0.5);
}

String TParser::TokenComponentIdent() {
  CheckToken(toSymbol);
  while (FPos < FText.size() && FText[FPos] == '.') {
    ++FPos;
    if (FPos >= FText.size() || !IsAlpha(FText[FPos])) Error(SIdentifierExpected);
    while (FPos < FText.size() && IsAlnum(FText[FPos])) ++FPos;
  }
  FTokenString.assign(FText, FTokenStart, FPos - FTokenStart);
  return FTokenString;
}

void TParser::HexToBinary(TStream* Stream) {
  std::vector<uint8_t> bytes;
  SkipBlanks();
  while (FPos >= FText.size() || FText[FPos] != '}') {
    size_t pairs = 0;
    while (FPos + 1 < FText.size() && HexValue(FText[FPos]) >= 0 && HexValue(FText[FPos + 1]) >= 0) {
      bytes.push_back(static_cast<uint8_t>(HexValue(FText[FPos]) << 4 | HexValue(FText[FPos + 1])));
      FPos += 2;
      ++pairs;
    }
    if (pairs == 0) Error(SInvalidBinary);
    SkipBlanks();
  }
  Stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  ++FPos;
  NextToken();
}
