// Children aligned to their parent's edges, OnResize, the right button's popup menu, and
// copies of icons.
#include "PaintFixture.h"
#include "platform/vcl/Menus.h"

namespace {

using AlignTest = TPaintFixture;

// A 120 x 100 panel at (10, 10) with a 1-pixel raised bevel: its children align in
// (1, 1)–(119, 99).
TPanel* MakeHost(TWinControl* parent) {
  auto* host = new TPanel(parent);
  host->SetBounds(10, 10, 120, 100);
  host->SetParent(parent);
  return host;
}

TPanel* MakeChild(TWinControl* host, TAlign align, TRect bounds) {
  auto* c = new TPanel(host);
  c->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  c->SetParent(host);
  c->SetAlign(align);
  return c;
}

TEST_F(AlignTest, ChildrenTakeTheEdgesTopBottomLeftRightThenTheRest) {
  TPanel* host = MakeHost(Form);
  // Made in an order unlike the passes': the client first, the sides last.
  TPanel* client = MakeChild(host, alClient, {0, 0, 5, 5});
  TPanel* right = MakeChild(host, alRight, {0, 0, 10, 5});
  TPanel* left = MakeChild(host, alLeft, {0, 0, 20, 5});
  TPanel* bottom = MakeChild(host, alBottom, {0, 0, 5, 15});
  TPanel* top = MakeChild(host, alTop, {0, 0, 5, 12});
  EXPECT_EQ(top->GetBoundsRect(), (TRect{1, 1, 119, 13}));
  EXPECT_EQ(bottom->GetBoundsRect(), (TRect{1, 84, 119, 99}));
  EXPECT_EQ(left->GetBoundsRect(), (TRect{1, 13, 21, 84}));
  EXPECT_EQ(right->GetBoundsRect(), (TRect{109, 13, 119, 84}));
  EXPECT_EQ(client->GetBoundsRect(), (TRect{21, 13, 109, 84}));

  // The parent's size change, a hidden child and a border width all lay out again.
  host->SetBounds(10, 10, 150, 100);
  EXPECT_EQ(right->GetBoundsRect(), (TRect{139, 13, 149, 84}));
  top->SetVisible(false);
  EXPECT_EQ(left->GetBoundsRect(), (TRect{1, 1, 21, 84}));
  host->SetBorderWidth(2);
  EXPECT_EQ(left->GetBoundsRect(), (TRect{3, 3, 23, 82}));
  EXPECT_EQ(client->GetBoundsRect(), (TRect{23, 3, 137, 82}));
}

// Of two at one edge the one nearer the edge stays nearer; one moved past the edge goes
// outermost, as the panel's splitter strip does.
TEST_F(AlignTest, TwoAtOneEdgeKeepTheirOrderByPosition) {
  TPanel* host = MakeHost(Form);
  TPanel* a = MakeChild(host, alRight, {0, 0, 10, 5});
  TPanel* b = MakeChild(host, alRight, {0, 0, 16, 5});
  EXPECT_EQ(a->GetBoundsRect(), (TRect{109, 1, 119, 99}));
  EXPECT_EQ(b->GetBoundsRect(), (TRect{93, 1, 109, 99}));
  b->SetLeft(host->GetWidth());
  EXPECT_EQ(b->GetBoundsRect(), (TRect{103, 1, 119, 99}));
  EXPECT_EQ(a->GetBoundsRect(), (TRect{93, 1, 103, 99}));

  TPanel* c = MakeChild(host, alTop, {0, 0, 5, 10});
  TPanel* d = MakeChild(host, alTop, {0, 50, 5, 60});
  EXPECT_EQ(c->GetTop(), 1);
  EXPECT_EQ(d->GetTop(), 11);
  d->SetTop(0);
  EXPECT_EQ(d->GetTop(), 1) << "moved above c";
  EXPECT_EQ(c->GetTop(), 11);
}

TEST_F(AlignTest, ChangingBetweenSidesAndEdgesSwapsWidthAndHeight) {
  TPanel* host = MakeHost(Form);
  TPanel* c = MakeChild(host, alLeft, {0, 0, 20, 5});
  c->SetAlign(alTop);
  EXPECT_EQ(c->GetHeight(), 20);
  c->SetAlign(alBottom);
  EXPECT_EQ(c->GetHeight(), 20);
  c->SetAlign(alNone);
  c->SetAlign(alRight);
  EXPECT_EQ(c->GetWidth(), 118) << "from alNone nothing is swapped";
}

// A series of changes between DisableAlign and EnableAlign is laid out once, at the end.
TEST_F(AlignTest, DisabledAlignmentWaitsForTheLastEnable) {
  TPanel* host = MakeHost(Form);
  TPanel* c = MakeChild(host, alLeft, {0, 0, 20, 5});
  host->DisableAlign();
  host->DisableAlign();
  c->SetAlign(alTop);
  host->SetBorderWidth(4);
  EXPECT_EQ(c->GetBoundsRect(), (TRect{1, 1, 99, 21})) << "swapped, not yet placed";
  host->EnableAlign();
  EXPECT_TRUE(host->AlignDisabled());
  host->EnableAlign();
  EXPECT_EQ(c->GetBoundsRect(), (TRect{5, 5, 115, 25}));
}

// A child of a control without a window is placed once the window is made.
TEST_F(AlignTest, AlignmentWaitsForTheWindow) {
  auto* host = new TPanel(Form);
  host->SetBounds(10, 10, 120, 100);
  TPanel* c = MakeChild(host, alClient, {0, 0, 5, 5});
  EXPECT_EQ(c->GetBoundsRect(), (TRect{0, 0, 5, 5}));
  host->SetParent(Form);
  host->HandleNeeded();
  EXPECT_EQ(c->GetBoundsRect(), (TRect{1, 1, 119, 99}));
}

struct TResizeLog {
  TMessageLog Log;
  void Resized(TObject* Sender) {
    auto* c = static_cast<TControl*>(Sender);
    Log.push_back(std::to_string(c->GetWidth()) + "x" + std::to_string(c->GetHeight()));
  }
};

TEST_F(AlignTest, OnResizeFollowsEachSizeChange) {
  TResizeLog log;
  auto* host = new TPanel(Form);
  host->OnResize = MethodOf<&TResizeLog::Resized>(&log);
  host->SetBounds(10, 10, 120, 100);
  host->SetParent(Form);
  host->HandleNeeded();
  host->SetBounds(10, 10, 130, 100);
  host->SetBounds(20, 20, 130, 100);  // moved only
  auto* shape = new TSpeedButton(Form);
  shape->OnResize = MethodOf<&TResizeLog::Resized>(&log);
  shape->SetParent(Form);
  shape->SetBounds(0, 0, 7, 8);
  EXPECT_EQ(log.Log, (TMessageLog{"120x100", "130x100", "7x8"})) << "once when the window is made, not for a move";
}

// The right button's release pops up the menu of the control or of its nearest parent with one.
TEST_F(AlignTest, TheRightButtonPopsUpTheNearestMenu) {
  TPanel* host = MakeHost(Form);
  TPanel* inner = MakeChild(host, alNone, {20, 20, 30, 30});  // on the screen (30, 30)–(40, 40)
  auto* menu = new TPopupMenu(Form);
  host->SetPopupMenu(menu);
  MouseInput(WM_RBUTTONDOWN, {35, 35}, 2);
  MouseInput(WM_RBUTTONUP, {35, 35}, 0);
  Pump();
  EXPECT_EQ(menu->GetPopupPoint(), (TPoint{35, 35}));
  EXPECT_EQ(menu->PopupComponent, host) << "the release over the inner panel found its parent's menu";
  EXPECT_EQ(inner->GetPopupMenu(), nullptr);
  menu->Free();
  EXPECT_EQ(host->GetPopupMenu(), nullptr) << "forgotten when freed";
}

TEST_F(AlignTest, AnIconCopyOutlivesItsOriginal) {
  auto* mask = new TBitmap();
  auto* color = new TBitmap();
  mask->SetSize(16, 16);
  color->SetSize(16, 16);
  mask->GetCanvas()->GetBrush()->SetColor(clBlack);
  mask->GetCanvas()->FillRect({0, 0, 16, 16});
  color->GetCanvas()->GetBrush()->SetColor(clRed);
  color->GetCanvas()->FillRect({0, 0, 16, 16});
  ICONINFO info{TRUE, 0, 0, mask->GetHandle(), color->GetHandle()};
  auto* original = new TIcon();
  original->SetHandle(CreateIconIndirect(&info));
  mask->Free();
  color->Free();
  auto* copy = new TIcon();
  copy->Assign(original);
  EXPECT_NE(copy->GetHandle(), original->GetHandle());
  original->Free();
  HDC dc = GetDC(Form->GetHandle());
  DrawIconEx(dc, 5, 5, copy->GetHandle(), 16, 16, 0, 0, DI_NORMAL);
  ReleaseDC(Form->GetHandle(), dc);
  EXPECT_EQ(Pixel(10, 10), RGB(255, 0, 0));
  copy->Assign(nullptr);
  EXPECT_TRUE(copy->Empty());
  copy->Free();
}

}  // namespace
