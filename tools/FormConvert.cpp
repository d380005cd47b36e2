// formconv: turns a text form file into the binary form stream the class library reads, the
// data of the form's resource: formconv INPUT OUTPUT.
#include <cstdio>

#include "platform/vcl/ObjectText.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: formconv INPUT OUTPUT\n");
    return 2;
  }
  try {
    TAutoFree<TMemoryStream> text(new TMemoryStream());
    text->LoadFromFile(argv[1]);
    TAutoFree<TMemoryStream> binary(new TMemoryStream());
    ObjectTextToBinary(text.Get(), binary.Get());
    binary->SaveToFile(argv[2]);
  } catch (const Exception& e) {
    std::fprintf(stderr, "formconv: %s: %s\n", argv[1], e.Message.c_str());
    return 1;
  }
  return 0;
}
