// The message form: a box's icon, text and buttons laid out on a dialog form the way the class
// library lays out its message dialog, shown modally to the person at the screen.
#pragma once

#include "../win/MessageBox.h"
#include "Forms.h"
#include "StdCtrls.h"

// One of the four message-box icons, painted where the control stands.
class TMessageIcon : public TGraphicControl {
  DECLARE_CLASS(TMessageIcon, TGraphicControl)
 public:
  explicit TMessageIcon(TComponent* AOwner);
  UINT GetIcon() const { return FIcon; }
  void SetIcon(UINT v);

 protected:
  void Paint() override;

 private:
  UINT FIcon = 0;
};

// The box as a form: "Image" (the icon, when the box has one), "Message" (the text, wrapped to
// at most half the screen's width) and a button a choice, named after its caption ("OK",
// "Cancel", "Yes", "NoToAll" ...) with the choice's result as its modal result. The default
// button has the focus and takes Enter; Escape and the close box answer the box's cancel
// result and do nothing when it has none.
class TMessageForm : public TForm {
  DECLARE_CLASS(TMessageForm, TForm)
 public:
  TMessageForm(TComponent* AOwner, const TMessageBoxRequest& Request);
  const TMessageBoxRequest& GetRequest() const { return FRequest; }
  TButton* FindButton(int Result) const;
  void Dispatch(TMessage& Message) override;

 private:
  void Arrange();
  TMessageBoxRequest FRequest;
  std::vector<TButton*> FButtons;
};

// The message-box answerer for a session with a person at the screen: shows the box as a
// TMessageForm, centred on its owner (a message box's window, else the active window) or,
// for the class library's message dialogs, on the screen, and answers what the person chose.
int ShowMessageForm(const TMessageBoxRequest& Request);
