// Form streams from outside: binary data and text form files, converted both ways and read
// into components. The first byte picks the road: 0 binary to text, 1 text to binary, 2 a form
// read into the stock classes (text is converted first).
#include "FuzzTarget.h"
#include "platform/vcl/ObjectText.h"
#include "platform/vcl/Reader.h"

namespace {

using TStreamConverter = void (*)(TStream* Input, TStream* Output);

String Run(TStreamConverter converter, const String& input) {
  TAutoFree<TMemoryStream> in(new TMemoryStream());
  TAutoFree<TMemoryStream> out(new TMemoryStream());
  in->SetDataString(input);
  converter(in.Get(), out.Get());
  return out->GetDataString();
}

// Text the converter wrote reads back as the same data.
void BinaryToText(const String& input) {
  String text;
  try {
    text = Run(ObjectBinaryToText, input);
  } catch (const Exception&) {
    return;
  }
  String binary;
  try {
    binary = Run(ObjectTextToBinary, text);
  } catch (const Exception&) {
    return;  // names the text cannot hold (a class named "end"), as in the original
  }
  if (Run(ObjectBinaryToText, binary) != text) __builtin_trap();
}

// Data the converter wrote is read again, and its text gives the same data.
void TextToBinary(const String& input) {
  String binary;
  try {
    binary = Run(ObjectTextToBinary, input);
  } catch (const Exception&) {
    return;
  }
  const String text = Run(ObjectBinaryToText, binary);
  if (Run(ObjectTextToBinary, text) != binary) __builtin_trap();
}

void ReadForm(const String& input) {
  try {
    const String binary = input.compare(0, 4, "TPF0") == 0 ? input : Run(ObjectTextToBinary, input);
    TAutoFree<TMemoryStream> stream(new TMemoryStream());
    stream->SetDataString(binary);
    stream->ReadComponent(nullptr)->Free();
  } catch (const Exception&) {
  }
}

}  // namespace

BRISK_FUZZ_TARGET(FormStream) {
  if (size == 0) return 0;
  const String input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: BinaryToText(input); break;
    case 1: TextToBinary(input); break;
    default: ReadForm(input);
  }
  return 0;
}
