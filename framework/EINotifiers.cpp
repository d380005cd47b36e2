// Keyboard and paint notifiers.
#include "EINotifiers.h"

IMPLEMENT_CLASS(TEIKeyboardNotifier, TEIMessageNotifier)
IMPLEMENT_CLASS(TEIPaintNotifier, TEIMessageNotifier)

void TEIKeyboardNotifier::BeforeEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage,
                                                     TMessage& ModifiedMessage) {
  if (OriginalMessage.Msg != CN_KEYDOWN && OriginalMessage.Msg != CN_KEYUP) return;
  DoProcessKeyMsg(Manager, KeyMessageOf(ModifiedMessage));
}

// The handler's changes to Key stay in this copy: they neither reach the editor nor stop the key.
void TEIKeyboardNotifier::DoProcessKeyMsg(TEIManager* Manager, TWMKey Msg) {
  TWMKey copy = Msg;
  TShiftState shift = KeyDataToShiftState(copy.KeyData);
  if (copy.Msg == CN_KEYDOWN && FOnKeyDown)
    FOnKeyDown(Manager, copy.CharCode, shift);
  else if (copy.Msg == CN_KEYUP && FOnKeyUp)
    FOnKeyUp(Manager, copy.CharCode, shift);
}

void TEIPaintNotifier::AfterEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage, TMessage&) {
  if (OriginalMessage.Msg == WM_PAINT) DoProcessPaintMsg(Manager, OriginalMessage);
}

// The device context goes back and the canvas is freed also when the paint procedure raises.
void TEIPaintNotifier::DoProcessPaintMsg(TEIManager* Manager, TMessage) {
  if (!FOnPaint || !Manager || !Manager->GetEditControl()) return;
  auto* canvas = new TControlCanvas();
  HWND h = Manager->GetEditControl()->GetHandle();
  HDC dc = GetDC(h);
  if (dc) {
    canvas->SetHandle(dc);
    try {
      FOnPaint(Manager, canvas);
    } catch (...) {
      canvas->SetHandle(0);
      ReleaseDC(h, dc);
      canvas->Free();
      throw;
    }
    canvas->SetHandle(0);
    ReleaseDC(h, dc);
  }
  canvas->Free();
}
