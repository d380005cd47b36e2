// The expert base's caret helpers against the running IDE's editor: the cursor of the current
// module read and moved, the caret's screen point, and a popup placed there so that it stays
// on a screen whose size the test sets.
#include <functional>

#include "expert/QVExpert.h"
#include "ide/IDEHostFixture.h"
#include "platform/win/Surface.h"

namespace {

class CaretPlacementTest : public TIDEHostFixture {
 protected:
  void SetUp() override {
    TIDEHostFixture::SetUp();
    FSavedWidth = ScreenSurface().Width;
    FSavedHeight = ScreenSurface().Height;
    SetScreenSize(1024, 768);
    Expert = new TQVCustomExpert();
    String text;
    for (int line = 1; line <= 40; ++line) text += "line " + std::to_string(line) + "\r\n";
    Module = Project()->OpenBuffer("Unit1.pas", text);
    Module->GetEditWindow()->SetBounds(100, 200, 640, 480);
    Module->GetEditControl()->SetFocus();
    Application->ProcessMessages();
    Popup = new TForm(Application);
    Popup->SetBorderStyle(bsNone);
  }
  void TearDown() override {
    Popup->Free();
    Expert->Release();
    TIDEHostFixture::TearDown();
    SetScreenSize(FSavedWidth, FSavedHeight);
  }

  // The cursor at (column, line), as a tool moves it.
  void Cursor(SmallInt col, LongInt line) { Expert->SetCaretPos({col, line}); }

  TQVCustomExpert* Expert = nullptr;
  TIDEModule* Module = nullptr;
  TForm* Popup = nullptr;

 private:
  int FSavedWidth = 0, FSavedHeight = 0;
};

TEST_F(CaretPlacementTest, TheCursorIsReadAndMovedThroughTheFirstView) {
  EXPECT_EQ(Expert->GetCaretPos(), (TEditPos{1, 1}));
  Cursor(7, 12);
  EXPECT_EQ(Expert->GetCaretPos(), (TEditPos{7, 12}));
  EXPECT_EQ(Module->GetEditControl()->GetCaretX(), 7);
  EXPECT_EQ(Module->GetEditControl()->GetCaretY(), 12);
  TPoint caret;
  ASSERT_TRUE(GetCaretPos(&caret));
  EXPECT_EQ(caret.X, 6 * TEditControl::CharWidth);

  // Without an editor view there is no cursor to read or move.
  Module->GetEditWindow()->Hide();
  Cursor(3, 3);
  EXPECT_EQ(Expert->GetCaretPos(), (TEditPos{0, 0}));
  Module->GetEditWindow()->Show();
  EXPECT_EQ(Expert->GetCaretPos(), (TEditPos{7, 12}));
}

TEST_F(CaretPlacementTest, AnIDEExceptionReleasesWhatWasObtainedInReverseOrder) {
  const String M = "TIModuleInterface.Release", E = "TIEditorInterface.Release", V = "TIEditView.Release";
  auto get = [&] { Expert->GetCaretPos(); };
  auto set = [&] { Cursor(4, 4); };
  struct {
    std::function<void()> Helper;
    const char* Failing;
    std::vector<String> Released;
  } rows[] = {
      {get, "TIEditorInterface.GetView", {E, M}},
      {get, "TIEditView.GetPos", {V, E, M}},
      {set, "TIEditorInterface.GetViewCount", {E, M}},
      {set, "TIEditView.SetPos", {V, E, M}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Failing);
    EXPECT_EQ(ReleasedWhenFailing(row.Failing, row.Helper), row.Released);
  }
  EXPECT_EQ(Expert->GetCaretPos(), (TEditPos{1, 1}));
}

// The caret's client point goes to the screen through the editor form's client origin, then
// down by the form's frame height less one and four pixels right. The form stands at
// (100, 200) with a 4-pixel frame and a 19-pixel caption: its client origin is (104, 223)
// and its frame 27 pixels high.
TEST_F(CaretPlacementTest, TheCaretPointIsBelowTheCaretOnTheScreen) {
  Cursor(3, 2);  // the caret at (16, 16) in the editor's client pixels
  EXPECT_EQ(Expert->GetCaretXY(), (TPoint{104 + 16 + 4, 223 + 16 + 27 - 1}));

  struct {
    const char* Name;
    std::function<void()> Setup;
  } none[] = {
      {"caret in the first pixel column", [&] { Cursor(1, 5); }},
      {"caret in the first pixel row", [&] { Cursor(5, 1); }},
      {"editor window above the screen", [&] { Module->GetEditWindow()->SetBounds(100, -480, 640, 480); }},
      // The window system remembers where the caret was; without an editor window it is none.
      {"no editor window", [&] { Project()->CloseFile("Unit1.pas"); }},
  };
  for (const auto& row : none) {
    SCOPED_TRACE(row.Name);
    row.Setup();
    EXPECT_EQ(Expert->GetCaretXY(), (TPoint{0, 0}));
  }
}

// The popup goes one character height (16, the editor window's default font) below the caret
// point (420, 265); above it where it would end below the screen, to its left where it would
// end right of it, centred where neither fits.
TEST_F(CaretPlacementTest, APopupStaysOnTheScreen) {
  struct {
    const char* Name;
    Integer ScreenWidth, ScreenHeight, Width, Height, Left, Top;
  } rows[] = {
      {"fits", 1024, 768, 200, 100, 420, 281},
      {"fits exactly at the right and bottom edges", 620, 381, 200, 100, 420, 281},
      {"below the bottom: above, its bottom at the point", 1024, 380, 200, 100, 420, 165},
      {"right of the edge: left of the point", 619, 768, 200, 100, 220, 281},
      {"wider than the screen: centred", 500, 768, 503, 100, -1, 281},
      {"fits neither above nor below: centred", 1024, 300, 200, 280, 420, 10},
  };
  Cursor(40, 2);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    SetScreenSize(row.ScreenWidth, row.ScreenHeight);
    Popup->SetBounds(7, 9, row.Width, row.Height);
    Expert->AlignPopupToCaret(Popup);
    EXPECT_EQ(Popup->GetBoundsRect(), (TRect{row.Left, row.Top, row.Left + row.Width, row.Top + row.Height}));
  }
}

TEST_F(CaretPlacementTest, WithoutACaretPointThePopupStays) {
  struct {
    const char* Name;
    std::function<void()> Setup;
  } rows[] = {
      {"caret in the first pixel column", [&] { Cursor(1, 5); }},
      {"caret in the first pixel row", [&] { Cursor(5, 1); }},
      {"no editor window", [&] { Project()->CloseFile("Unit1.pas"); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    row.Setup();
    Popup->SetBounds(7, 9, 200, 100);
    Expert->AlignPopupToCaret(Popup);
    EXPECT_EQ(Popup->GetBoundsRect(), (TRect{7, 9, 207, 109}));
  }
}

}  // namespace
