// The package's bitmap button.
#include "ZKBitBtn.h"

IMPLEMENT_COMPONENT_CLASS(TZKBitBtn, TBitBtn)
