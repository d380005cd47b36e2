// The typing-sound expert's About box: product and version, a scrolling copyright line, links
// to mail the author and to the author's web page, and OK.
#pragma once

#include "platform/raize/RzLabel.h"
#include "platform/vcl/Forms.h"
#include "platform/vellumkit/ZKBitBtn.h"
#include "platform/vellumkit/ZKHotLink.h"
#include "platform/vellumkit/ZKScrollingLabel.h"

// Built from its form resource "TFRMABOUT"; it holds no state and changes nothing. It has no
// Cancel button, so Escape leaves it open.
class TfrmAbout : public TForm {
  DECLARE_CLASS(TfrmAbout, TForm)
 public:
  explicit TfrmAbout(TComponent* AOwner);

  TZKScrollingLabel* ZKScrollingLabel = nullptr;
  TZKHotLink* zkhotlnkAuthor = nullptr;
  TZKHotLink* zkhotlnkWebPage = nullptr;
  TZKBitBtn* zkbtnOk = nullptr;
  TRzLabel* rzlblProductVersion = nullptr;

  void FormCreate(TObject* Sender);
  // Replaces every stored caption, text and link target.
  void SetFormCaptions();

 protected:
  // For a class derived from this one, whose own constructor reads the resources.
  TfrmAbout(TComponent* AOwner, bool ReadResource);
};
