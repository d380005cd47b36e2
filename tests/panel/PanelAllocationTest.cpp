// What laying out the title bar costs in allocations: the operators new of this test program
// count while a test asks them to.
#include <atomic>
#include <cstdlib>
#include <new>

#include "PanelFixture.h"

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* Allocate(std::size_t n) {
  if (gCounting) ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// A panel that counts what its layout after each size change allocates.
class TCountingPanel : public TEIPanel {
 public:
  explicit TCountingPanel(TComponent* AOwner) : TEIPanel(AOwner) {}
  bool Counting = false;
  long Layouts = 0;

 protected:
  void Resize() override {
    gCounting = Counting;
    TEIPanel::Resize();
    gCounting = false;
    ++Layouts;
  }
};

using PanelAllocation = TPanelFixture;

TEST_F(PanelAllocation, LayingOutTheTitleBarAfterASizeChangeAllocatesNothing) {
  for (TTitleBarAlign side : {talTop, talLeft}) {
    SCOPED_TRACE(GetEnumName(&TTitleBarAlign_TypeInfo, side));
    auto* panel = new TCountingPanel(Form);
    panel->SetBounds(10, 10, 200, 100);
    panel->SetTitleBarAlign(side);
    panel->SetTitleBarButtonVisible(TTitleBarButtonIDs::FromBits(0xFF));
    panel->SetParent(Form);
    for (int i = 0; i < 2; ++i) {
      TTitleBarBtn* b = panel->AddButton();
      b->SetButtonID(i + 1);
      b->SetCaption("User");
      b->SetWidth(30);
      b->GetGlyph()->LoadFromResourceName(PanelModule(), TitleBarGlyphNames[tbbeHelp]);
      b->SetVisible(true);
    }
    Pump();
    gAllocations = 0;
    panel->Counting = true;
    const long before = panel->Layouts;
    // Each size differs from the one before it, so each is a change.
    for (int i = 0; i < 100; ++i) panel->SetBounds(10, 10, 201 + i % 7, 100 + i % 5);
    panel->Counting = false;
    EXPECT_EQ(panel->Layouts - before, 100) << "each size change laid the title bar out";
    EXPECT_EQ(gAllocations.load(), 0);
    Pump();
    panel->Free();
  }
}

}  // namespace
