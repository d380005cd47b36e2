// The package's bitmap button.
#include "ZKBitBtn.h"

#include "../vcl/Filer.h"

IMPLEMENT_COMPONENT_CLASS(TZKBitBtn, TBitBtn)

static const TClassRegistration ZKBitBtnClasses{TZKBitBtn::StaticClass()};
