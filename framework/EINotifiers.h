// Ready-made notifiers: key-down/key-up events from the editor's key notifications, and
// drawing over the editor control after it painted itself.
#pragma once

#include "EIManager.h"

using TEIKeyEvent = TMethod<void(TEIManager* Manager, Word& Key, TShiftState Shift)>;
using TEIPaintProc = void (*)(TEIManager* Manager, TCanvas* Canvas);

class TEIKeyboardNotifier : public TEIMessageNotifier {
  DECLARE_CLASS(TEIKeyboardNotifier, TEIMessageNotifier)
 public:
  void BeforeEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage, TMessage& ModifiedMessage) override;
  void DoProcessKeyMsg(TEIManager* Manager, TWMKey Msg);

  TEIKeyEvent FOnKeyDown;
  TEIKeyEvent FOnKeyUp;
};

class TEIPaintNotifier : public TEIMessageNotifier {
  DECLARE_CLASS(TEIPaintNotifier, TEIMessageNotifier)
 public:
  void AfterEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage, TMessage& ModifiedMessage) override;
  void DoProcessPaintMsg(TEIManager* Manager, TMessage Msg);

  TEIPaintProc FOnPaint = nullptr;
};
