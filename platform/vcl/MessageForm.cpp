// The message form, measured in dialog units of its font as the class library measures it.
#include "MessageForm.h"

#include <algorithm>

#include "../win/SystemIcons.h"
#include "../win/WinMenu.h"

IMPLEMENT_COMPONENT_CLASS(TMessageIcon, TGraphicControl)
IMPLEMENT_CLASS(TMessageForm, TForm)

TMessageIcon::TMessageIcon(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = kSystemIconSize;
  FHeight = kSystemIconSize;
}

void TMessageIcon::SetIcon(UINT v) {
  if (FIcon == v) return;
  FIcon = v;
  Invalidate();
}

void TMessageIcon::Paint() { DrawSystemIcon(FCanvas->GetHandle(), 0, 0, FIcon); }

namespace {

// Margins and sizes in dialog units: a quarter of the average character width across, an
// eighth of the character height down.
constexpr int kHorzMargin = 8, kVertMargin = 8, kHorzSpacing = 10, kVertSpacing = 10;
constexpr int kButtonWidth = 50, kButtonHeight = 14, kButtonSpacing = 4;

// The average width of the letters and the height of a line in the font.
TPoint AverageCharSize(TFont* Font) {
  String letters;
  for (char c = 'A'; c <= 'Z'; ++c) letters += c;
  for (char c = 'a'; c <= 'z'; ++c) letters += c;
  const TPoint extent = MeasureText(Font, letters);
  return {extent.X / 52, extent.Y};
}

int ScaleUnits(int a, int b, int c) { return static_cast<int>((static_cast<int64_t>(a) * b * 2 + c) / (2 * c)); }

// "N&o to All" is the button "NoToAll".
String ButtonName(const String& Caption) {
  String name;
  for (char c : Caption)
    if (c != '&' && c != ' ' && c != '.') name += c;
  return name.empty() ? String("Button") : name;
}

}  // namespace

TMessageForm::TMessageForm(TComponent* AOwner, const TMessageBoxRequest& Request)
    : TForm(AOwner), FRequest(Request) {
  SetBorderStyle(bsDialog);
  SetCaption(Request.Caption);
  if (Request.Icon()) {
    auto* image = new TMessageIcon(this);
    image->SetName("Image");
    image->SetIcon(Request.Icon());
    image->SetParent(this);
  }
  auto* text = new TLabel(this);
  text->SetName("Message");
  text->SetShowAccelChar(false);
  text->SetParent(this);
  for (const TMessageBoxButton& b : Request.Buttons) {
    auto* button = new TButton(this);
    String name = ButtonName(b.Caption);
    for (int n = 2; FindComponent(name); ++n) name = ButtonName(b.Caption) + std::to_string(n);
    button->SetName(name);
    button->SetCaption(b.Caption);
    button->SetModalResult(b.Result);
    button->SetParent(this);
    if (b.Result == Request.DefaultResult && !GetActiveControl()) {
      button->SetDefault(true);
      SetActiveControl(button);
    }
    if (b.Result == Request.CancelResult) button->SetCancel(true);
    FButtons.push_back(button);
  }
  Arrange();
}

TButton* TMessageForm::FindButton(int Result) const {
  for (TButton* b : FButtons)
    if (b->GetModalResult() == Result) return b;
  return nullptr;
}

void TMessageForm::Arrange() {
  const TPoint units = AverageCharSize(FFont);
  const int horzMargin = ScaleUnits(kHorzMargin, units.X, 4), vertMargin = ScaleUnits(kVertMargin, units.Y, 8);
  const int horzSpacing = ScaleUnits(kHorzSpacing, units.X, 4), vertSpacing = ScaleUnits(kVertSpacing, units.Y, 8);
  const int buttonHeight = ScaleUnits(kButtonHeight, units.Y, 8), buttonSpacing = ScaleUnits(kButtonSpacing, units.X, 4);
  int buttonWidth = ScaleUnits(kButtonWidth, units.X, 4);
  for (TButton* b : FButtons)
    buttonWidth = std::max<int>(buttonWidth, MeasureText(FFont, b->GetCaption()).X + 8);

  // The text wraps at half the screen's width; a text taller than the screen leaves room for
  // the buttons and is cut at the bottom.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  TPoint text = MeasureText(FFont, FRequest.Text.empty() ? String(" ") : FRequest.Text,
                            DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX, screenWidth / 2);
  const int chrome = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME);
  const int maxText = screenHeight - chrome - buttonHeight - vertSpacing - 2 * vertMargin;
  text.Y = std::min<int>(text.Y, std::max(maxText, units.Y));
  TControl* image = As<TControl>(FindComponent("Image"));
  int iconTextWidth = text.X, iconTextHeight = text.Y;
  if (image) {
    iconTextWidth += kSystemIconSize + horzSpacing;
    iconTextHeight = std::max(iconTextHeight, kSystemIconSize);
  }
  const int count = static_cast<int>(FButtons.size());
  const int groupWidth = count ? buttonWidth * count + buttonSpacing * (count - 1) : 0;
  SetClientWidth(std::max(iconTextWidth, groupWidth) + horzMargin * 2);
  SetClientHeight(iconTextHeight + (count ? buttonHeight + vertSpacing : 0) + vertMargin * 2);

  if (image) image->SetBounds(horzMargin, vertMargin, kSystemIconSize, kSystemIconSize);
  auto* label = As<TLabel>(FindComponent("Message"));
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetCaption(FRequest.Text);
  label->SetBounds(iconTextWidth - text.X + horzMargin, vertMargin, text.X, text.Y);
  int x = (GetClientWidth() - groupWidth) / 2;
  for (TButton* b : FButtons) {
    b->SetBounds(x, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight);
    x += buttonWidth + buttonSpacing;
  }

  // Centred on the owner's window, else on the screen, and kept on the screen.
  TRect over{0, 0, screenWidth, screenHeight};
  if (FRequest.DlgType < 0) {
    HWND owner = FRequest.Owner && IsWindowVisible(FRequest.Owner) ? FRequest.Owner : GetActiveWindow();
    if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &over);
  }
  const int left = std::clamp<int>((over.Left + over.Right - GetWidth()) / 2, 0, std::max(0, screenWidth - GetWidth()));
  const int top = std::clamp<int>((over.Top + over.Bottom - GetHeight()) / 2, 0, std::max(0, screenHeight - GetHeight()));
  SetBounds(left, top, GetWidth(), GetHeight());
}

void TMessageForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SYSCOMMAND:
      if ((Message.WParam & 0xFFF0) != SC_CLOSE) break;
      [[fallthrough]];
    case WM_CLOSE:
      // The close box answers as Escape does; a box without a way out keeps it shut.
      if (FRequest.CancelResult != 0 && GetModal()) SetModalResult(FRequest.CancelResult);
      return;
    case CM_DIALOGKEY:
      TForm::Dispatch(Message);
      // Escape without a cancel button (a class-library dialog whose way out is the close box).
      if (!Message.Result && (Message.WParam & 0xFFFF) == VK_ESCAPE && FRequest.CancelResult != 0 &&
          KeyDataToShiftState(Message.LParam).Empty()) {
        SetModalResult(FRequest.CancelResult);
        Message.Result = 1;
      }
      return;
    default:
      break;
  }
  TForm::Dispatch(Message);
}

int ShowMessageForm(const TMessageBoxRequest& Request) {
  if (!Application) return Request.DefaultResult ? Request.DefaultResult : Request.CancelResult;
  auto* form = new TMessageForm(Application, Request);
  int result = 0;
  try {
    result = form->ShowModal();
  } catch (...) {
    form->Free();
    throw;
  }
  form->Free();
  return result;
}
