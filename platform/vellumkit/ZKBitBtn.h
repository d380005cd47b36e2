// TZKBitBtn, the package's bitmap button: the class library's bitmap button under the
// package's own class name, so forms that name it find it.
#pragma once

#include "../vcl/Buttons.h"

// Its Kind decides what a click does: bkOK closes its modal form with mrOk, bkCancel with
// mrCancel, and Enter and Escape reach them as the form's default and cancel buttons.
class TZKBitBtn : public TBitBtn {
  DECLARE_CLASS(TZKBitBtn, TBitBtn)
 public:
  explicit TZKBitBtn(TComponent* AOwner) : TBitBtn(AOwner) {}
};
