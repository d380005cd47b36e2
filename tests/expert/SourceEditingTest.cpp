// The expert base's source helpers against the running IDE's editor: reading the current
// module in blocks, editing it at editor positions as undoable steps, and giving back every
// interface it obtained, in reverse order, on every path.
#include "expert/QVExpert.h"
#include "ide/IDEHostFixture.h"

namespace {

// The IDE's tool services with another file named current: a module the IDE has open but
// shows in no editor view, as while the IDE is still bringing it up.
class TCurrentFileProxy : public TIToolServices {
 public:
  TCurrentFileProxy(TIToolServices* Inner, const String& Current) : FInner(Inner), FCurrent(Current) {}
  HWND GetParentHandle() override { return FInner->GetParentHandle(); }
  TIMainMenuIntf* GetMainMenu() override { return FInner->GetMainMenu(); }
  void RaiseException(const String& Message) override { FInner->RaiseException(Message); }
  String GetProjectName() override { return FInner->GetProjectName(); }
  Integer GetUnitCount() override { return FInner->GetUnitCount(); }
  String GetUnitName(Integer Index) override { return FInner->GetUnitName(Index); }
  Integer GetFormCount() override { return FInner->GetFormCount(); }
  String GetFormName(Integer Index) override { return FInner->GetFormName(Index); }
  String GetCurrentFile() override { return FCurrent; }
  bool IsFileOpen(const String& FileName) override { return FInner->IsFileOpen(FileName); }
  bool OpenFile(const String& FileName) override { return FInner->OpenFile(FileName); }
  bool CloseFile(const String& FileName) override { return FInner->CloseFile(FileName); }
  TIModuleInterface* GetModuleInterface(const String& FileName) override { return FInner->GetModuleInterface(FileName); }
  TIModuleInterface* GetFormModuleInterface(const String& FormName) override {
    return FInner->GetFormModuleInterface(FormName);
  }

 private:
  TIToolServices* FInner;
  String FCurrent;
};

class SourceEditingTest : public TIDEHostFixture {
 protected:
  void SetUp() override {
    TIDEHostFixture::SetUp();
    Expert = new TQVCustomExpert();
  }
  void TearDown() override {
    SetInterfaceTrace(nullptr);
    Expert->Release();
    TIDEHostFixture::TearDown();
  }

  // Opens a unit on `text` in an editor window in front, making it the current module.
  TIDEModule* Open(const String& text, const String& name = "Unit1.pas") {
    Module = Project()->OpenBuffer(name, text);
    return Module;
  }
  std::vector<String> SourceLines() const {
    std::vector<String> lines;
    for (Integer i = 0; i < Expert->GetSource()->GetCount(); ++i) lines.push_back(Expert->GetSource()->Get(i));
    return lines;
  }
  Integer UndoCount() const { return Module->GetBuffer()->GetUndoCount(); }
  std::vector<String> TraceOf(const String& suffix) const { return TraceEndingIn(Trace, suffix); }

  TQVCustomExpert* Expert = nullptr;
  TIDEModule* Module = nullptr;
  std::vector<String> Trace;
};

// The blocks are 4097 bytes, and only a short block ends the reading: a text whose length is
// a multiple of the block takes one more call, which returns 0.
TEST_F(SourceEditingTest, InitSourceReadsTheBufferInBlocksUntilAShortOne) {
  struct {
    size_t Length;
    size_t Calls;
  } rows[] = {{0, 1}, {1, 1}, {4096, 1}, {4097, 2}, {4098, 2}, {8194, 3}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Length);
    Open(String(row.Length, 'x'), "Unit" + std::to_string(row.Length) + ".pas");
    Trace.clear();
    SetInterfaceTrace(&Trace);
    Expert->InitSource();
    SetInterfaceTrace(nullptr);
    EXPECT_EQ(TraceOf(".GetText").size(), row.Calls);
    EXPECT_EQ(SourceLines(), row.Length ? std::vector<String>{String(row.Length, 'x')} : std::vector<String>{});
  }
}

TEST_F(SourceEditingTest, InitSourceSplitsLinesAtCrLfCrAndLf) {
  Open("a\r\nb\rc\nd\n\re");
  Expert->InitSource();
  EXPECT_EQ(SourceLines(), (std::vector<String>{"a", "b", "c", "d", "", "e"}));

  // A CR LF that straddles two blocks is still one break.
  Open(String(4096, 'x') + "\r\ny", "Straddle.pas");
  Expert->InitSource();
  EXPECT_EQ(SourceLines(), (std::vector<String>{String(4096, 'x'), "y"}));
}

TEST_F(SourceEditingTest, InitSourceEmptiesTheListWhenThereIsNothingToRead) {
  auto stale = [&] { Expert->GetSource()->SetText("stale\r\nlines"); };
  stale();
  Expert->InitSource();  // no file open
  EXPECT_EQ(Expert->GetSource()->GetCount(), 0);

  Open("text");
  TIToolServices* ide = ToolServices;
  ToolServices = nullptr;  // outside the IDE
  stale();
  Expert->InitSource();
  EXPECT_EQ(Expert->GetSource()->GetCount(), 0);

  TInterfaceGuard<TCurrentFileProxy> proxy(new TCurrentFileProxy(ide, "Unit1.pas"));
  ToolServices = proxy.Get();
  Module->GetEditWindow()->Hide();  // the module is open, but in no view
  stale();
  Expert->InitSource();
  EXPECT_EQ(Expert->GetSource()->GetCount(), 0);
  ToolServices = ide;
}

// Each helper call that changes something is one undo step; positions the editor cannot
// place leave the text as it is.
TEST_F(SourceEditingTest, EditsLandAtEditorPositions) {
  const String start = "line1\r\nline2\r\nline3";
  struct {
    const char* Name;
    std::function<void(TQVCustomExpert*)> Edit;
    const char* Text;
  } rows[] = {
      {"delete within a line", [](TQVCustomExpert* e) { e->DeleteSource(1, 2, 1, 4); }, "le1\r\nline2\r\nline3"},
      {"delete across a break", [](TQVCustomExpert* e) { e->DeleteSource(1, 5, 2, 3); }, "linene2\r\nline3"},
      {"insert at a line's start", [](TQVCustomExpert* e) { e->InsertSource(2, 1, "X"); }, "line1\r\nXline2\r\nline3"},
      {"insert past a line's end", [](TQVCustomExpert* e) { e->InsertSource(1, 20, "!"); }, "line1!\r\nline2\r\nline3"},
      {"insert past the last line", [](TQVCustomExpert* e) { e->InsertSource(9, 1, "!"); }, "line1\r\nline2\r\nline3!"},
      {"delete a line", [](TQVCustomExpert* e) { e->DeleteSourceLine(2); }, "line1\r\nline3"},
      {"delete the last line", [](TQVCustomExpert* e) { e->DeleteSourceLine(3); }, "line1\r\nline2\r\n"},
      // The new line ends with a bare LF although the others end with CR LF.
      {"insert a line", [](TQVCustomExpert* e) { e->InsertSourceLine(2, "new"); }, "line1\r\nnew\nline2\r\nline3"},
      {"delete backwards", [](TQVCustomExpert* e) { e->DeleteSource(2, 1, 1, 1); }, "line1\r\nline2\r\nline3"},
      {"delete from line 0", [](TQVCustomExpert* e) { e->DeleteSource(0, 1, 1, 3); }, "line1\r\nline2\r\nline3"},
      {"insert at column 0", [](TQVCustomExpert* e) { e->InsertSource(1, 0, "x"); }, "line1\r\nline2\r\nline3"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    Open(start, String(row.Name) + ".pas");
    row.Edit(Expert);
    EXPECT_EQ(Module->GetText(), row.Text);
    EXPECT_EQ(UndoCount(), Module->GetText() == start ? 0 : 1);
  }

  Open("\tbegin\r\nend", "Tabs.pas");  // columns count the tab to its stop
  Expert->InsertSource(1, 9, "X");
  Expert->DeleteSource(2, 2, 2, 4);
  EXPECT_EQ(Module->GetText(), "\tXbegin\r\ne");
}

TEST_F(SourceEditingTest, UpdateSourceLineIsTwoStepsThatUndoInOrder) {
  Open("l1\r\nl2\r\nl3");
  Expert->UpdateSourceLine(2, "X");
  EXPECT_EQ(Module->GetText(), "l1\r\nX\nl3");
  EXPECT_EQ(UndoCount(), 2);
  Expert->InitSource();
  EXPECT_EQ(SourceLines(), (std::vector<String>{"l1", "X", "l3"}));

  TypeCtrlKey(Module->GetEditControl()->GetHandle(), 'Z');  // the insertion goes first
  EXPECT_EQ(Module->GetText(), "l1\r\nl3");
  IDE->GetMainWindow()->GetMainMenu()->GetItems()->FindByName("EditUndoItem")->Click();
  EXPECT_EQ(Module->GetText(), "l1\r\nl2\r\nl3");
  EXPECT_EQ(UndoCount(), 0);
}

TEST_F(SourceEditingTest, WithoutAnEditorViewNothingIsEdited) {
  Open("keep\r\nthis");
  TIToolServices* ide = ToolServices;
  TInterfaceGuard<TCurrentFileProxy> proxy(new TCurrentFileProxy(ide, "Unit1.pas"));
  ToolServices = proxy.Get();
  Module->GetEditWindow()->Hide();
  SetInterfaceTrace(&Trace);
  Expert->DeleteSource(1, 1, 2, 1);
  Expert->InsertSourceLine(1, "x");
  SetInterfaceTrace(nullptr);
  ToolServices = ide;
  EXPECT_EQ(Module->GetText(), "keep\r\nthis");
  EXPECT_TRUE(TraceOf(".CreateUndoableWriter").empty()) << "no writer is asked for without an offset";
}

// The whole conversation of one edit: the view is given back before the writer is asked
// for, and everything goes back in the reverse order of obtaining.
TEST_F(SourceEditingTest, DeleteSourceTalksToTheIDEInOrder) {
  Open("abc\r\ndef");
  SetInterfaceTrace(&Trace);
  Expert->DeleteSource(1, 2, 2, 2);
  SetInterfaceTrace(nullptr);
  EXPECT_EQ(Trace, (std::vector<String>{
                       "TIToolServices.GetCurrentFile", "TIToolServices.GetModuleInterface",
                       "TIModuleInterface.GetEditorInterface", "TIEditorInterface.GetViewCount",
                       "TIEditorInterface.GetView", "TIEditView.ConvertPos", "TIEditView.CharPosToPos",
                       "TIEditView.ConvertPos", "TIEditView.CharPosToPos", "TIEditView.Release",
                       "TIEditorInterface.CreateUndoableWriter", "TIEditWriter.CopyTo", "TIEditWriter.DeleteTo",
                       "TIEditWriter.Release", "TIEditorInterface.Release", "TIModuleInterface.Release"}));
  EXPECT_EQ(Module->GetText(), "aef");
}

// Wherever the IDE raises, the exception reaches the caller after what was obtained so far
// has been released, last obtained first, and the text is as it was.
TEST_F(SourceEditingTest, AnIDEExceptionReleasesWhatWasObtainedInReverseOrder) {
  const String M = "TIModuleInterface.Release", E = "TIEditorInterface.Release", V = "TIEditView.Release",
               W = "TIEditWriter.Release", R = "TIEditReader.Release";
  auto deleteSource = [](TQVCustomExpert* e) { e->DeleteSource(1, 1, 1, 3); };
  auto insertSource = [](TQVCustomExpert* e) { e->InsertSource(1, 2, "new"); };
  auto initSource = [](TQVCustomExpert* e) { e->InitSource(); };
  struct {
    std::function<void(TQVCustomExpert*)> Helper;
    const char* Failing;
    std::vector<String> Released;
  } rows[] = {
      {deleteSource, "TIToolServices.GetModuleInterface", {}},
      {deleteSource, "TIModuleInterface.GetEditorInterface", {M}},
      {deleteSource, "TIEditorInterface.GetViewCount", {E, M}},
      {deleteSource, "TIEditorInterface.GetView", {E, M}},
      {deleteSource, "TIEditView.ConvertPos", {V, E, M}},
      {deleteSource, "TIEditView.CharPosToPos", {V, E, M}},
      {deleteSource, "TIEditorInterface.CreateUndoableWriter", {V, E, M}},
      {deleteSource, "TIEditWriter.CopyTo", {V, W, E, M}},
      {deleteSource, "TIEditWriter.DeleteTo", {V, W, E, M}},
      {insertSource, "TIEditWriter.Insert", {V, W, E, M}},
      {initSource, "TIEditorInterface.CreateReader", {E, M}},
      {initSource, "TIEditReader.GetText", {R, E, M}},
  };
  Open("abc");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Failing);
    EXPECT_EQ(ReleasedWhenFailing(row.Failing, [&] { row.Helper(Expert); }), row.Released);
    EXPECT_EQ(Module->GetText(), "abc");
  }
}

}  // namespace
