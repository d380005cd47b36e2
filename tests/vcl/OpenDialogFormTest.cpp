// The file-open dialog on the screen, in a folder of its own: choosing by double-click and by
// typed name, entering a folder, switching the type, cancelling, and a refused name put right.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "DialogFormFixture.h"
#include "platform/vcl/OpenDialogForm.h"

namespace {

class OpenDialogFormTest : public TDialogFormFixture {
 protected:
  void SetUp() override {
    TDialogFormFixture::SetUp();
    Dir = std::filesystem::temp_directory_path() / ("open-form-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir / "sub");
    for (const char* name : {"b.pas", "A.pas", "notes.txt", "sub/c.pas"}) std::ofstream(Dir / name) << "x";
    PreviousOpen = SetOpenDialogAnswerer(ShowOpenDialogForm);
    PreviousBox = SetMessageBoxAnswerer([this](const TMessageBoxRequest& r) {
      Boxes.push_back(r);
      Picture("open-dialog-refused.png");
      return IDOK;
    });
    Dialog = new TOpenDialog(nullptr);
    Dialog->SetInitialDir(Dir.string());
    Dialog->SetFilter("Delphi unit (*.pas)|*.pas|Any file (*.*)|*.*");
    Dialog->SetDefaultExt("pas");
  }
  void TearDown() override {
    Dialog->Free();
    SetOpenDialogAnswerer(PreviousOpen);
    SetMessageBoxAnswerer(PreviousBox);
    std::filesystem::remove_all(Dir);
    TDialogFormFixture::TearDown();
  }
  static TOpenDialogForm& Open(TCustomForm& f) { return dynamic_cast<TOpenDialogForm&>(f); }
  // A double-click on the list's entry that shows `item`.
  static TStep DoubleClickItem(std::string item) {
    return [item](TCustomForm& f) {
      TListBox* list = Open(f).GetFileList();
      const auto& items = list->GetItems();
      const auto it = std::find(items.begin(), items.end(), item);
      ASSERT_NE(it, items.end()) << item;
      const TRect r = list->ItemRect(static_cast<Integer>(it - items.begin()));
      const TPoint p = list->ClientToScreen({r.Left, r.Top});
      Click({p.X, p.Y, p.X + r.Width(), p.Y + r.Height()}, 2);
    };
  }
  static TStep Look(std::function<void(TOpenDialogForm&)> look) {
    return [look](TCustomForm& f) { look(Open(f)); };
  }

  std::filesystem::path Dir;
  TOpenDialog* Dialog = nullptr;
  TOpenDialogAnswerer PreviousOpen;
  TMessageBoxAnswerer PreviousBox;
  std::vector<TMessageBoxRequest> Boxes;
};

TEST_F(OpenDialogFormTest, ListsFoldersFirstThenMatchingFilesAndADoubleClickChoosesOne) {
  std::vector<String> items;
  std::string caption;
  Steps({Look([&](TOpenDialogForm& f) {
           items = f.GetFileList()->GetItems();
           caption = f.GetCaption();
           EXPECT_EQ(f.FindComponent("edtLookIn") ? As<TEdit>(f.FindComponent("edtLookIn"))->GetText() : "",
                     Dir.string());
           Picture("open-dialog.png");
         }),
         DoubleClickItem("b.pas")});
  ASSERT_TRUE(Dialog->Execute());
  EXPECT_EQ(Dialog->GetFileName(), (Dir / "b.pas").string());
  EXPECT_EQ(caption, "Open");
  EXPECT_EQ(items, (std::vector<String>{"[..]", "[sub]", "A.pas", "b.pas"}));
}

TEST_F(OpenDialogFormTest, ATypedNameIsTakenInTheShownFolderWithTheDefaultExtension) {
  Dialog->SetTitle("Open unit");
  Steps({Type("b"), Key(VK_RETURN)});
  ASSERT_TRUE(Dialog->Execute());
  EXPECT_EQ(Dialog->GetFileName(), (Dir / "b.pas").string());
}

TEST_F(OpenDialogFormTest, AFolderIsEnteredByDoubleClickAndByEnterOnTheList) {
  Steps({DoubleClickItem("[sub]"), DoubleClickItem("c.pas")});
  ASSERT_TRUE(Dialog->Execute());
  EXPECT_EQ(Dialog->GetFileName(), (Dir / "sub" / "c.pas").string());
  // The keyboard: into the list, down to the folder, Enter; then the file.
  Steps({Chord(VK_SHIFT, VK_TAB), Key(VK_DOWN), Key(VK_DOWN), Key(VK_RETURN), Key(VK_DOWN), Key(VK_DOWN),
         Key(VK_RETURN)});
  ASSERT_TRUE(Dialog->Execute());
  EXPECT_EQ(Dialog->GetFileName(), (Dir / "sub" / "c.pas").string());
}

TEST_F(OpenDialogFormTest, SwitchingTheTypeListsOtherFilesAndIsKept) {
  std::vector<String> items;
  Steps({[](TCustomForm& f) { Click(ScreenRect(Open(f).GetTypeBox())); },
         [](TCustomForm& f) {
           Picture("open-dialog-types.png");
           TListBox* drop = nullptr;
           for (Integer i = 0; i < Open(f).GetTypeBox()->GetComponentCount(); ++i)
             if (auto* l = As<TListBox>(Open(f).GetTypeBox()->GetComponent(i))) drop = l;
           ASSERT_TRUE(drop && drop->GetVisible());
           const TRect r = drop->ItemRect(1);
           const TPoint p = drop->ClientToScreen({r.Left, r.Top});
           Click({p.X, p.Y, p.X + r.Width(), p.Y + r.Height()});
         },
         Look([&](TOpenDialogForm& f) { items = f.GetFileList()->GetItems(); }), DoubleClickItem("notes.txt")});
  ASSERT_TRUE(Dialog->Execute());
  EXPECT_EQ(items, (std::vector<String>{"[..]", "[sub]", "A.pas", "b.pas", "notes.txt"}));
  EXPECT_EQ(Dialog->GetFileName(), (Dir / "notes.txt").string());
  EXPECT_EQ(Dialog->GetFilterIndex(), 2);
}

TEST_F(OpenDialogFormTest, CancelAndEscapeChooseNothing) {
  Dialog->SetFileName("kept.pas");
  Steps({Key(VK_ESCAPE)});
  EXPECT_FALSE(Dialog->Execute());
  Steps({[](TCustomForm& f) { Click(ScreenRect(As<TControl>(f.FindComponent("btnCancel")))); }});
  EXPECT_FALSE(Dialog->Execute());
  EXPECT_EQ(Dialog->GetFileName(), "kept.pas");
}

TEST_F(OpenDialogFormTest, ARefusedNameIsShownAndTheDialogTakesAnother) {
  Dialog->SetOptions({ofFileMustExist, ofPathMustExist});
  String shownAgain;
  Steps({Type("missing"), Key(VK_RETURN),
         Look([&](TOpenDialogForm& f) { shownAgain = f.GetFileNameEdit()->GetText(); }),
         [](TCustomForm& f) { Open(f).GetFileNameEdit()->SetText(""); }, Type("b"), Key(VK_RETURN)});
  ASSERT_TRUE(Dialog->Execute());
  EXPECT_EQ(Dialog->GetFileName(), (Dir / "b.pas").string());
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].Text.find("missing.pas\nFile not found."), std::string::npos) << Boxes[0].Text;
  EXPECT_EQ(Boxes[0].Icon(), static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(shownAgain, "missing.pas");
}

}  // namespace
