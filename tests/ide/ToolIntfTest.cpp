// Tool services and the main menu: finding and inserting items, clicks reaching the add-in,
// reports, the project's files, and objects that outlive what they refer to.
#include <vector>

#include "IDEHostFixture.h"

namespace {

class ToolServicesTest : public TIDEHostFixture {
 protected:
  TMenuItem* ToolsMenu() const { return IDE->GetMainWindow()->GetToolsMenu(); }

  // Inserts under the Tools menu as an expert does, releasing everything but the new item.
  TIMenuItemIntf* AddToolsItem(Integer index, const String& name, TIMenuClickEvent onClick = nullptr,
                               TIMenuFlags flags = {mfEnabled, mfVisible}) {
    TInterfaceGuard<TIMainMenuIntf> menu(ToolServices->GetMainMenu());
    TInterfaceGuard<TIMenuItemIntf> tools(menu->FindMenuItem("ToolsMenu"));
    return tools->InsertItem(index, "Caption " + name, name, "Hint " + name, ShortCut('B', 4), 7, 2, flags, onClick);
  }

  void Clicked(TIMenuItemIntf* Sender) {
    FClicks.push_back(Sender ? Sender->GetName() : String("(nil)"));
    if (FDestroyOnClick) Sender->DestroyMenuItem();
    if (FRaiseOnClick) throw Exception("handler failed");
  }
  TIMenuClickEvent ClickHandler() { return MethodOf<&ToolServicesTest::Clicked>(this); }

  std::vector<String> FClicks;
  bool FDestroyOnClick = false;
  bool FRaiseOnClick = false;
};

TEST_F(ToolServicesTest, ToolServicesExistExactlyWhileTheIDERuns) {
  ASSERT_NE(ToolServices, nullptr);
  EXPECT_EQ(ToolServices, IDE->GetToolServices());
  EXPECT_EQ(ToolServices->GetParentHandle(), IDE->GetMainWindow()->GetHandle());
  EXPECT_EQ(GetWindowClassName(ToolServices->GetParentHandle()), "TAppBuilder");
  EXPECT_EQ(Application->GetMainForm(), IDE->GetMainWindow());

  // An add-in that kept the services past shutdown gets empty answers, not freed memory.
  TIToolServices* kept = ToolServices;
  kept->AddRef();
  ShutdownIDE();
  EXPECT_EQ(ToolServices, nullptr);
  EXPECT_EQ(IDE, nullptr);
  EXPECT_EQ(kept->GetMainMenu(), nullptr);
  EXPECT_EQ(kept->GetCurrentFile(), "");
  EXPECT_FALSE(kept->OpenFile("/nonexistent.pas"));
  kept->Release();
}

TEST_F(ToolServicesTest, BootNeedsAnApplicationAndRunsOnce) {
  EXPECT_THROW(BootIDE(), EInvalidOperation);
  ShutdownIDE();
  DoneApplication();
  EXPECT_THROW(BootIDE(), EInvalidOperation);
  InitApplication();
}

TEST_F(ToolServicesTest, FindMenuItemAnswersByComponentNameAnywhereInTheMenu) {
  TInterfaceGuard<TIMainMenuIntf> menu(ToolServices->GetMainMenu());
  ASSERT_TRUE(menu);
  TInterfaceGuard<TIMenuItemIntf> tools(menu->FindMenuItem("toolsmenu"));
  ASSERT_TRUE(tools);
  EXPECT_EQ(tools->GetName(), "ToolsMenu");
  EXPECT_EQ(tools->GetItemCount(), ToolsMenu()->GetCount());
  EXPECT_GE(tools->GetItemCount(), 2);
  TInterfaceGuard<TIMenuItemIntf> first(tools->GetItem(0));
  EXPECT_EQ(first->GetCaption(), "&Environment Options...");
  EXPECT_EQ(first->GetFlags(), (TIMenuFlags{mfEnabled, mfVisible}));
  TInterfaceGuard<TIMenuItemIntf> parent(first->GetParent());
  EXPECT_EQ(parent->GetName(), "ToolsMenu");

  for (const char* missing : {"NoSuchMenu", ""}) EXPECT_EQ(menu->FindMenuItem(missing), nullptr) << missing;
  EXPECT_EQ(tools->GetItem(-1), nullptr);
  EXPECT_EQ(tools->GetItem(tools->GetItemCount()), nullptr);
}

TEST_F(ToolServicesTest, InsertedItemIsARealItemOfTheMenuCarryingEveryArgument) {
  Integer before = ToolsMenu()->GetCount();
  TInterfaceGuard<TIMenuItemIntf> item(AddToolsItem(0, "QVBrisk", ClickHandler()));
  ASSERT_TRUE(item);
  ASSERT_EQ(ToolsMenu()->GetCount(), before + 1);
  TMenuItem* real = ToolsMenu()->GetItem(0);
  EXPECT_EQ(real->GetName(), "QVBrisk");
  EXPECT_EQ(real->GetOwner(), IDE->GetMainWindow());
  EXPECT_EQ(real->GetCaption(), "Caption QVBrisk");
  EXPECT_EQ(real->GetHint(), "Hint QVBrisk");
  EXPECT_EQ(real->GetShortCut(), ShortCut('B', 4));
  EXPECT_EQ(real->GetHelpContext(), 7);
  EXPECT_EQ(real->GetGroupIndex(), 2);
  EXPECT_TRUE(real->GetEnabled());
  EXPECT_TRUE(real->GetVisible());
  EXPECT_FALSE(real->GetChecked());
  EXPECT_EQ(item->GetIndex(), 0);
  EXPECT_EQ(item->GetFlags().Bits(), 6);  // {mfEnabled, mfVisible}
}

TEST_F(ToolServicesTest, ClickCallsTheHandlerWithTheItemAndReleasesWhatItHandedOver) {
  TInterfaceGuard<TIMenuItemIntf> item(AddToolsItem(0, "QVBrisk", ClickHandler()));
  int live = GetLiveInterfaceCount();
  ToolsMenu()->GetItem(0)->Click();
  ToolsMenu()->GetItem(0)->Click();
  EXPECT_EQ(FClicks, (std::vector<String>{"QVBrisk", "QVBrisk"}));
  EXPECT_EQ(GetLiveInterfaceCount(), live);

  // A handler that raises still has its sender released; the exception goes on to the loop.
  FRaiseOnClick = true;
  EXPECT_THROW(ToolsMenu()->GetItem(0)->Click(), Exception);
  EXPECT_EQ(GetLiveInterfaceCount(), live);
  FRaiseOnClick = false;

  // A disabled item does nothing when chosen.
  item->SetFlags({mfEnabled}, {});
  ToolsMenu()->GetItem(0)->Click();
  EXPECT_EQ(FClicks.size(), 3u);
}

TEST_F(ToolServicesTest, HandlerMayDestroyTheItemItWasCalledFor) {
  TInterfaceGuard<TIMenuItemIntf> item(AddToolsItem(0, "SelfRemoving", ClickHandler()));
  Integer count = ToolsMenu()->GetCount();
  FDestroyOnClick = true;
  ToolsMenu()->GetItem(0)->Click();
  EXPECT_EQ(FClicks, std::vector<String>{"SelfRemoving"});
  EXPECT_EQ(ToolsMenu()->GetCount(), count - 1);
  EXPECT_EQ(IDE->GetMainWindow()->FindComponent("SelfRemoving"), nullptr);
  // The object the expert kept now answers as an invalid item.
  EXPECT_EQ(item->GetFlags(), TIMenuFlags{mfInvalid});
  EXPECT_EQ(item->GetName(), "");
  EXPECT_FALSE(item->SetCaption("x"));
  EXPECT_EQ(item->InsertItem(0, "c", "Sub", "", 0, 0, 0, {mfEnabled}, nullptr), nullptr);
}

TEST_F(ToolServicesTest, InsertItemRejectsNamesTheMenuCannotTakeAndAppendsOutOfRangeIndexes) {
  Integer count = ToolsMenu()->GetCount();
  struct {
    const char* Name;
    bool Accepted;
  } rows[] = {{"ToolsOptionsItem", false}, {"toolsoptionsitem", false}, {"not an ident", false}, {"Fresh", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    TInterfaceGuard<TIMenuItemIntf> item(AddToolsItem(0, row.Name));
    EXPECT_EQ(bool(item), row.Accepted);
  }
  EXPECT_EQ(ToolsMenu()->GetCount(), count + 1);

  TInterfaceGuard<TIMenuItemIntf> last(AddToolsItem(999, "AtEnd"));
  TInterfaceGuard<TIMenuItemIntf> negative(AddToolsItem(-1, "AlsoAtEnd"));
  EXPECT_EQ(ToolsMenu()->GetItem(ToolsMenu()->GetCount() - 2)->GetName(), "AtEnd");
  EXPECT_EQ(ToolsMenu()->GetItem(ToolsMenu()->GetCount() - 1)->GetName(), "AlsoAtEnd");
}

TEST_F(ToolServicesTest, FlagsMapOntoTheItemAndOnlyTheMaskedOnesChange) {
  TInterfaceGuard<TIMenuItemIntf> item(AddToolsItem(0, "Flagged", nullptr, {mfVisible, mfChecked, mfBreak}));
  TMenuItem* real = ToolsMenu()->GetItem(0);
  EXPECT_FALSE(real->GetEnabled());
  EXPECT_TRUE(real->GetChecked());
  EXPECT_EQ(item->GetFlags(), (TIMenuFlags{mfVisible, mfChecked, mfBreak}));

  EXPECT_TRUE(item->SetFlags({mfEnabled, mfChecked, mfBreak, mfRadioItem}, {mfEnabled, mfRadioItem, mfVisible}));
  EXPECT_EQ(item->GetFlags(), (TIMenuFlags{mfEnabled, mfVisible, mfRadioItem}));  // mfVisible was not in the mask
  EXPECT_TRUE(real->GetEnabled());
  EXPECT_FALSE(real->GetChecked());
}

TEST_F(ToolServicesTest, OnlyItemsAnAddInInsertedCanBeDestroyedWithTheirSubItems) {
  TInterfaceGuard<TIMenuItemIntf> parent(AddToolsItem(0, "AddInGroup"));
  TInterfaceGuard<TIMenuItemIntf> child(parent->InsertItem(0, "Sub", "AddInSub", "", 0, 0, 0, {mfEnabled, mfVisible}, nullptr));
  ASSERT_TRUE(child);
  Integer components = IDE->GetMainWindow()->GetComponentCount();
  EXPECT_TRUE(parent->DestroyMenuItem());
  EXPECT_EQ(IDE->GetMainWindow()->GetComponentCount(), components - 2);
  EXPECT_EQ(child->GetFlags(), TIMenuFlags{mfInvalid});

  TInterfaceGuard<TIMainMenuIntf> menu(ToolServices->GetMainMenu());
  TInterfaceGuard<TIMenuItemIntf> ideItem(menu->FindMenuItem("ToolsOptionsItem"));
  EXPECT_FALSE(ideItem->DestroyMenuItem());
  EXPECT_NE(IDE->GetMainWindow()->FindComponent("ToolsOptionsItem"), nullptr);
}

TEST_F(ToolServicesTest, RaiseExceptionReportsTheMessageAsTheIDEReportsExceptions) {
  ToolServices->RaiseException("Something went wrong");
  EXPECT_EQ(IDE->GetReportedMessages(), std::vector<String>{"Something went wrong"});
  EXPECT_EQ(Application->GetLastExceptionMessage(), "Something went wrong");

  struct TCatcher {
    String Seen;
    void OnException(TObject*, const Exception& E) { Seen = E.Message; }
  } catcher;
  Application->OnException = MethodOf<&TCatcher::OnException>(&catcher);
  ToolServices->RaiseException("second");
  EXPECT_EQ(catcher.Seen, "second");
  EXPECT_EQ(IDE->GetReportedMessages().size(), 2u);
}

TEST_F(ToolServicesTest, ProjectFilesAreListedAndBadIndexesGiveEmptyNames) {
  Project()->AddUnit("C:\\P\\Main.pas", "C:\\P\\Main.dfm");
  Project()->AddUnit("C:\\P\\Utils.pas");
  Project()->AddUnit("C:\\P\\About.pas", "C:\\P\\About.dfm");
  EXPECT_EQ(ToolServices->GetProjectName(), "Project1.dpr");
  EXPECT_EQ(ToolServices->GetUnitCount(), 3);
  EXPECT_EQ(ToolServices->GetUnitName(1), "C:\\P\\Utils.pas");
  EXPECT_EQ(ToolServices->GetFormCount(), 2);
  EXPECT_EQ(ToolServices->GetFormName(0), "C:\\P\\Main.dfm");
  EXPECT_EQ(ToolServices->GetFormName(1), "C:\\P\\About.dfm");
  for (Integer bad : {-1, 2}) EXPECT_EQ(ToolServices->GetFormName(bad), "") << bad;
  EXPECT_EQ(ToolServices->GetUnitName(3), "");
}

TEST_F(ToolServicesTest, OpenFileShowsTheFileAndTheCurrentFileFollowsTheFrontEditor) {
  EXPECT_EQ(ToolServices->GetCurrentFile(), "");
  String a = WriteFile("A.pas", "unit A;\r\n");
  String b = WriteFile("B.pas", "unit B;\r\n");
  EXPECT_FALSE(ToolServices->OpenFile((FDir / "Missing.pas").string()));
  ASSERT_TRUE(ToolServices->OpenFile(a));
  EXPECT_EQ(ToolServices->GetCurrentFile(), a);
  ASSERT_TRUE(ToolServices->OpenFile(b));
  EXPECT_EQ(ToolServices->GetCurrentFile(), b);
  TIDEModule* ma = Project()->FindModule(a);
  ASSERT_NE(ma, nullptr);
  EXPECT_EQ(ma->GetEditWindow()->GetCaption(), "B.pas") << "the editor window names the file it shows";
  EXPECT_EQ(ma->GetBuffer()->GetLine(1), "unit A;");

  // Opening an open file brings it to the front instead of opening it twice.
  ASSERT_TRUE(ToolServices->OpenFile(a));
  EXPECT_EQ(Project()->GetModuleCount(), 2);
  EXPECT_EQ(ToolServices->GetCurrentFile(), a);

  // The user selecting the other file's tab makes it current.
  Project()->GetEditWindow()->SelectNextTab(true);
  EXPECT_EQ(ToolServices->GetCurrentFile(), b);

  EXPECT_TRUE(ToolServices->IsFileOpen(a));
  EXPECT_TRUE(ToolServices->CloseFile(b));
  EXPECT_FALSE(ToolServices->CloseFile(b));
  EXPECT_FALSE(ToolServices->IsFileOpen(b));
  EXPECT_EQ(ToolServices->GetCurrentFile(), a);
}

TEST_F(ToolServicesTest, ModulesAreFoundOnlyWhileOpenByUnitOrFormFileName) {
  String unit = WriteFile("Main.pas", "unit Main;");
  String form = WriteFile("Main.dfm", "");
  EXPECT_EQ(ToolServices->GetModuleInterface(unit), nullptr);
  ASSERT_TRUE(ToolServices->OpenFile(unit));
  EXPECT_EQ(Project()->FindModule(unit)->GetFormFileName(), form);  // found beside the unit
  for (const String& name : {unit, form, UpperCase(unit)}) {
    TInterfaceGuard<TIModuleInterface> m(ToolServices->GetModuleInterface(name));
    EXPECT_TRUE(m) << name;
  }
  EXPECT_EQ(ToolServices->GetModuleInterface(""), nullptr);
  EXPECT_EQ(ToolServices->GetFormModuleInterface("Form1"), nullptr);  // no form loaded
}

TEST_F(ToolServicesTest, ClosingAFileLeavesObjectsThatReferToItAnsweringEmpty) {
  String unit = WriteFile("U.pas", "unit U;");
  ASSERT_TRUE(ToolServices->OpenFile(unit));
  TInterfaceGuard<TIModuleInterface> module(ToolServices->GetModuleInterface(unit));
  TInterfaceGuard<TIEditorInterface> editor(module->GetEditorInterface());
  TInterfaceGuard<TIEditWriter> writer(editor->CreateUndoableWriter());
  TInterfaceGuard<TIEditView> view(editor->GetView(0));
  ASSERT_TRUE(writer && view);

  // The user closing the window for good closes the file.
  Project()->FindModule(unit)->GetEditWindow()->Free();
  EXPECT_FALSE(ToolServices->IsFileOpen(unit));
  EXPECT_EQ(module->GetEditorInterface(), nullptr);
  EXPECT_FALSE(module->ShowSource());
  EXPECT_EQ(editor->GetViewCount(), 0);
  EXPECT_EQ(editor->CreateReader(), nullptr);
  EXPECT_FALSE(writer->Insert("x"));
  EXPECT_EQ(view->CharPosToPos({0, 1}), -1);
  EXPECT_EQ(view->GetPos(0), TEditPos{});
}

TEST_F(ToolServicesTest, EditUndoInTheMainMenuTakesBackTheCurrentFilesLastToolEdit) {
  TIDEModule* m = Project()->OpenBuffer("Scratch.pas", "abc");
  m->GetEditControl()->ApplyEdits({{1, 1, "XY"}});
  ASSERT_EQ(m->GetText(), "aXYc");
  IDE->GetMainWindow()->GetMainMenu()->GetItems()->FindByName("EditUndoItem")->Click();
  EXPECT_EQ(m->GetText(), "abc");
}

}  // namespace
