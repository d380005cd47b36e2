// Form streams held in strings for tests: conversions both ways and hex dumps.
#pragma once

#include <string>

#include "platform/vcl/ObjectText.h"
#include "support/ErrorOf.h"

using TStreamConverter = void (*)(TStream* Input, TStream* Output);

// Runs a converter over bytes and gives the bytes it wrote.
inline String Convert(TStreamConverter converter, const String& input) {
  TAutoFree<TMemoryStream> in(new TMemoryStream());
  TAutoFree<TMemoryStream> out(new TMemoryStream());
  in->SetDataString(input);
  converter(in.Get(), out.Get());
  return out->GetDataString();
}

inline String TextToBinary(const String& text) { return Convert(ObjectTextToBinary, text); }
inline String BinaryToText(const String& binary) { return Convert(ObjectBinaryToText, binary); }

// "06 03 61 62 63"
inline std::string Hex(const String& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

inline String Unhex(const std::string& hex) {
  String out;
  for (size_t i = 0; i + 1 < hex.size(); i += 3) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}
