// TParser: the tokens of text form files — symbols, strings, integers, floats and single
// characters — with the line they are on for error messages.
#pragma once

#include "Filer.h"

DECLARE_EXCEPTION(EParserError, Exception)

constexpr char toEOF = 0, toSymbol = 1, toString = 2, toInteger = 3, toFloat = 4, toWString = 5;

// Errors raise EParserError "<what> on line <n>" in the original's words ("Identifier
// expected", "'=' expected", "Invalid string constant", "Invalid binary value").
class TParser : public TObject {
  DECLARE_CLASS(TParser, TObject)
 public:
  // Takes the text from the stream's position to its end (or to a zero byte, which ends a
  // text as it does in the original) and reads the first token.
  explicit TParser(TStream* Stream);

  char NextToken();
  char GetToken() const { return FToken; }
  void CheckToken(char T);
  void CheckTokenSymbol(const String& S);
  bool TokenSymbolIs(const String& S) const { return FToken == toSymbol && SameText(S, FTokenString); }
  // A symbol, a number as written (a float without its type letter), or a string's
  // characters: wide ones above 255 as '?' here and whole in TokenWideString.
  const String& TokenString() const { return FTokenString; }
  const WideString& TokenWideString() const { return FTokenWide; }
  Int64 TokenInt();
  double TokenFloat();
  float TokenSingle();
  // 's', 'c' or 'd' after a float (single, currency, date), else 0.
  char GetFloatType() const { return FFloatType; }
  // A currency float as a count of ten-thousandths, exact for an integer token.
  Int64 TokenCurrency();
  // The symbol and any ".Name" parts that follow it without spaces ("Form1.Button1").
  String TokenComponentIdent();
  // The hex digits after a '{' up to the '}', as bytes, then the next token.
  void HexToBinary(TStream* Stream);
  Integer GetSourceLine() const { return FSourceLine; }

  [[noreturn]] void Error(const String& Message) const;

 private:
  void SkipBlanks();
  template <class F>
  F TokenNumber() const;
  String FText;
  size_t FPos = 0;
  size_t FTokenStart = 0;
  char FToken = toEOF;
  char FFloatType = 0;
  String FTokenString;
  WideString FTokenWide;
  Integer FSourceLine = 1;
};
