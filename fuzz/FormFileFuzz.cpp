// Form files from outside, as the IDE's form designer reads them when a unit opens: binary
// with or without a resource header, or text, into the tree of components they describe.
#include "FuzzTarget.h"
#include "platform/ide/FormDesigner.h"

BRISK_FUZZ_TARGET(FormFile) {
  try {
    ReadFormData(String(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
  }
  return 0;
}
