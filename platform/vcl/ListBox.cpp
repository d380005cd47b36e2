// The list box and the drop-down list, painted in the classic look.
#include "ListBox.h"

#include <algorithm>
#include <cctype>

#include "Forms.h"

IMPLEMENT_COMPONENT_CLASS(TListBox, TCustomControl)
IMPLEMENT_COMPONENT_CLASS(TComboBox, TCustomControl)

// ---- TListBox ------------------------------------------------------------------------------

TListBox::TListBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 121;
  FHeight = 97;
  FColor = clWindow;
  FParentColor = false;
  TabStop = true;
  FItemHeight = std::max<Integer>(MeasureText(FFont, "Wg").Y, 13);
}

void TListBox::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::SetItems(std::vector<String> Items) {
  FItems = std::move(Items);
  FItemIndex = -1;
  FTopIndex = 0;
  Invalidate();
}

Integer TListBox::VisibleRows() const { return std::max<Integer>(1, GetClientRect().Height() / FItemHeight); }

void TListBox::SetTopIndex(Integer v) {
  v = std::clamp<Integer>(v, 0, std::max<Integer>(0, GetCount() - VisibleRows()));
  if (v == FTopIndex) return;
  FTopIndex = v;
  Invalidate();
}

void TListBox::SetItemIndex(Integer v) {
  if (v < -1 || v >= GetCount()) v = -1;
  if (v == FItemIndex) return;
  FItemIndex = v;
  if (v >= 0) {
    if (v < FTopIndex) SetTopIndex(v);
    else if (v >= FTopIndex + VisibleRows()) SetTopIndex(v - VisibleRows() + 1);
  }
  Invalidate();
}

void TListBox::SelectByUser(Integer Index) {
  if (GetCount() == 0) return;
  Index = std::clamp<Integer>(Index, 0, GetCount() - 1);
  if (Index == FItemIndex) return;
  SetItemIndex(Index);
  Click();
}

TRect TListBox::ItemRect(Integer index) const {
  const Integer top = (index - FTopIndex) * FItemHeight;
  return {0, top, GetClientRect().Right, top + FItemHeight};
}

Integer TListBox::ItemAtPos(TPoint p) const {
  if (p.X < 0 || p.Y < 0 || p.X >= GetClientRect().Right || p.Y >= GetClientRect().Bottom) return -1;
  const Integer index = FTopIndex + p.Y / FItemHeight;
  return index < GetCount() ? index : -1;
}

void TListBox::DrawItem(Integer Index, TRect Rect, bool) {
  FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems[static_cast<size_t>(Index)]);
}

void TListBox::Paint() {
  const TRect client = GetClientRect();
  FCanvas->GetBrush()->SetColor(FColor);
  FCanvas->FillRect(client);
  FCanvas->GetFont()->Assign(FFont);
  for (Integer i = FTopIndex; i < GetCount() && (i - FTopIndex) * FItemHeight < client.Bottom; ++i) {
    const TRect r = ItemRect(i);
    const bool selected = i == FItemIndex;
    FCanvas->GetBrush()->SetColor(selected ? clHighlight : FColor);
    FCanvas->FillRect(r);
    FCanvas->GetFont()->SetColor(selected ? clHighlightText : clWindowText);
    FCanvas->GetBrush()->SetStyle(bsClear);
    DrawItem(i, r, selected);
    FCanvas->GetBrush()->SetStyle(bsSolid);
    if (selected && Focused()) FCanvas->DrawFocusRect(r);
  }
}

void TListBox::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const Integer page = std::max<Integer>(1, VisibleRows() - 1);
  switch (Key) {
    case VK_UP: SelectByUser(FItemIndex < 0 ? 0 : FItemIndex - 1); break;
    case VK_DOWN: SelectByUser(FItemIndex + 1); break;
    case VK_HOME: SelectByUser(0); break;
    case VK_END: SelectByUser(GetCount() - 1); break;
    case VK_PRIOR: SelectByUser(FItemIndex - page); break;
    case VK_NEXT: SelectByUser(FItemIndex < 0 ? page : FItemIndex + page); break;
    default: return;
  }
  Key = 0;
}

void TListBox::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (static_cast<unsigned char>(Key) <= ' ') return;
  // The next item after the selection that starts with the letter, round to the top.
  const int wanted = std::toupper(static_cast<unsigned char>(Key));
  for (Integer n = 1; n <= GetCount(); ++n) {
    const Integer i = (FItemIndex + n + GetCount()) % GetCount();
    const String& s = FItems[static_cast<size_t>(i)];
    if (!s.empty() && std::toupper(static_cast<unsigned char>(s[0])) == wanted) {
      SelectByUser(i);
      break;
    }
  }
  Key = 0;
}

void TListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    const Integer i = ItemAtPos({X, Y});
    if (i >= 0) SelectByUser(i);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_MOUSEWHEEL:
      SetTopIndex(FTopIndex - static_cast<int16_t>(HIWORD(static_cast<uint32_t>(Message.WParam))) / WHEEL_DELTA * 3);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    default:
      TCustomControl::Dispatch(Message);
  }
}

// ---- TComboBox -----------------------------------------------------------------------------

namespace {
constexpr Integer kDropButtonWidth = 16;
constexpr Integer kMaxDropRows = 8;
}  // namespace

TComboBox::TComboBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 145;
  FHeight = 21;
  FColor = clWindow;
  FParentColor = false;
  TabStop = true;
}

void TComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropList) FDropList = nullptr;
}

void TComboBox::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TComboBox::SetItems(std::vector<String> Items) {
  FItems = std::move(Items);
  if (FItemIndex >= static_cast<Integer>(FItems.size())) FItemIndex = -1;
  Invalidate();
}

void TComboBox::SetItemIndex(Integer v) {
  if (v < -1 || v >= static_cast<Integer>(FItems.size())) v = -1;
  if (v == FItemIndex) return;
  FItemIndex = v;
  Invalidate();
}

void TComboBox::Choose(Integer Index) {
  if (FItems.empty()) return;
  Index = std::clamp<Integer>(Index, 0, static_cast<Integer>(FItems.size()) - 1);
  if (Index == FItemIndex) return;
  SetItemIndex(Index);
  if (OnChange) OnChange(this);
}

void TComboBox::Paint() {
  const TRect client = GetClientRect();
  FCanvas->GetBrush()->SetColor(FColor);
  FCanvas->FillRect(client);
  TRect text{client.Left + 1, client.Top + 1, client.Right - kDropButtonWidth - 1, client.Bottom - 1};
  if (FItemIndex >= 0) {
    const bool focused = Focused() && !GetDroppedDown();
    if (focused) {
      FCanvas->GetBrush()->SetColor(clHighlight);
      FCanvas->FillRect(text);
    }
    FCanvas->GetFont()->Assign(FFont);
    FCanvas->GetFont()->SetColor(focused ? clHighlightText : clWindowText);
    FCanvas->GetBrush()->SetStyle(bsClear);
    FCanvas->TextOut(text.Left + 2, text.Top + (text.Height() - FCanvas->TextHeight("Wg")) / 2,
                     FItems[static_cast<size_t>(FItemIndex)]);
    FCanvas->GetBrush()->SetStyle(bsSolid);
    if (focused) FCanvas->DrawFocusRect(text);
  }
  TRect button{client.Right - kDropButtonWidth, client.Top, client.Right, client.Bottom};
  const bool dropped = GetDroppedDown();
  DrawFrameControl(FCanvas->GetHandle(), &button, DFC_BUTTON, DFCS_BUTTONPUSH | (dropped ? DFCS_PUSHED : 0));
  // The arrow: a small black triangle pointing down, one pixel further in while pressed.
  const Integer cx = (button.Left + button.Right) / 2 + dropped, cy = (button.Top + button.Bottom) / 2 - 1 + dropped;
  FCanvas->GetBrush()->SetColor(clBtnText);
  for (Integer row = 0; row < 4; ++row) FCanvas->FillRect({cx - 3 + row, cy - 1 + row, cx + 4 - row, cy + row});
}

bool TComboBox::GetDroppedDown() const { return FDropList && FDropList->GetVisible(); }

void TComboBox::SetDroppedDown(bool v) {
  if (v == GetDroppedDown()) return;
  if (!v) {
    CloseUp(false);
    return;
  }
  TCustomForm* form = GetParentForm(this);
  if (!form || FItems.empty()) return;
  // The list lies on the form below the field, over the form's other controls; it is the
  // combo box's, made at the first drop and hidden between drops.
  if (!FDropList) {
    FDropList = new TListBox(this);
    FDropList->SetVisible(false);
    FDropList->OnKeyDown = MethodOf<&TComboBox::DropListKeyDown>(this);
    FDropList->OnClick = MethodOf<&TComboBox::DropListClick>(this);
    FDropList->OnExit = MethodOf<&TComboBox::DropListExit>(this);
  }
  const Integer rows = std::min<Integer>(static_cast<Integer>(FItems.size()), kMaxDropRows);
  const TPoint at = form->ScreenToClient(ClientToScreen({0, 0}));
  // Below the field, or above it where the form has no room below.
  const Integer height = rows * FDropList->GetItemHeight() + 4;
  Integer top = at.Y + GetHeight() - 2;
  if (top + height > form->GetClientRect().Bottom) top = std::max<Integer>(0, at.Y - height + 2);
  FDropList->SetParent(form);
  FDropList->SetBounds(at.X - 2, top, GetWidth(), height);
  FDropList->SetItems(FItems);
  FDropList->SetItemIndex(FItemIndex);
  FDropList->SetVisible(true);
  FDropList->BringToFront();
  FDropList->SetFocus();
  Invalidate();
}

void TComboBox::CloseUp(bool Accept) {
  if (!GetDroppedDown()) return;
  const Integer chosen = FDropList->GetItemIndex();
  FDropList->SetVisible(false);
  if (CanFocus()) SetFocus();
  Invalidate();
  if (Accept && chosen >= 0) Choose(chosen);
}

void TComboBox::DropListKeyDown(TObject*, Word& Key, TShiftState Shift) {
  if (Key == VK_RETURN || Key == VK_ESCAPE || (Key == VK_UP && Shift.Contains(ssAlt)) || Key == VK_F4) {
    CloseUp(Key != VK_ESCAPE);
    Key = 0;
  }
}

// A press on an item chooses it, as the drop-down list of the platform does on release.
void TComboBox::DropListClick(TObject*) {
  if (GetKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_LBUTTON) < 0) CloseUp(true);
}

void TComboBox::DropListExit(TObject*) { CloseUp(false); }

void TComboBox::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if ((Key == VK_DOWN && Shift.Contains(ssAlt)) || Key == VK_F4) {
    SetDroppedDown(true);
  } else if (Key == VK_UP || Key == VK_LEFT) {
    Choose(FItemIndex - 1);
  } else if (Key == VK_DOWN || Key == VK_RIGHT) {
    Choose(FItemIndex + 1);
  } else if (Key == VK_HOME) {
    Choose(0);
  } else if (Key == VK_END) {
    Choose(static_cast<Integer>(FItems.size()) - 1);
  } else {
    return;
  }
  Key = 0;
}

void TComboBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    SetDroppedDown(!GetDroppedDown());
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    default:
      TCustomControl::Dispatch(Message);
  }
}
