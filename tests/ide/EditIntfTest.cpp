// Modules, editors, views, readers, writers and undo over real editor controls.
#include <vector>

#include "IDEHostFixture.h"

namespace {

class EditorTest : public TIDEHostFixture {
 protected:
  // Opens a module on `text` and holds its module and editor interfaces for the test.
  TIDEModule* Open(const String& text, const String& name = "Unit1.pas") {
    FModule = Project()->OpenBuffer(name, text);
    FModuleIntf.Reset(ToolServices->GetModuleInterface(name));
    FEditor.Reset(FModuleIntf->GetEditorInterface());
    return FModule;
  }
  TEditControl* Control() const { return FModule->GetEditControl(); }

  String ReadAll(LongInt block, std::vector<LongInt>* counts = nullptr) {
    TInterfaceGuard<TIEditReader> reader(FEditor->CreateReader());
    String text;
    std::vector<char> buffer(static_cast<size_t>(block));
    LongInt offset = 0, n;
    do {
      n = reader->GetText(offset, buffer.data(), block);
      if (counts) counts->push_back(n);
      text.append(buffer.data(), static_cast<size_t>(n));
      offset += n;
    } while (n == block);
    return text;
  }

  LongInt Offset(LongInt line, LongInt col) {
    TInterfaceGuard<TIEditView> view(FEditor->GetView(0));
    TEditPos ep{static_cast<SmallInt>(col), line};
    TCharPos cp;
    view->ConvertPos(true, ep, cp);
    return view->CharPosToPos(cp);
  }

  // One writer: keep the text before `from`, then delete up to `to` and insert `text`.
  void Write(LongInt from, LongInt to, const char* text) {
    TInterfaceGuard<TIEditWriter> writer(FEditor->CreateUndoableWriter());
    ASSERT_TRUE(writer->CopyTo(from));
    if (to > from) {
      ASSERT_TRUE(writer->DeleteTo(to));
    }
    if (text) {
      ASSERT_TRUE(writer->Insert(text));
    }
  }

  TIDEModule* FModule = nullptr;
  TInterfaceGuard<TIModuleInterface> FModuleIntf;
  TInterfaceGuard<TIEditorInterface> FEditor;

  void TearDown() override {
    FEditor.Reset();
    FModuleIntf.Reset();
    TIDEHostFixture::TearDown();
  }
};

TEST_F(EditorTest, TheBufferIsTheFileAsItWasRead) {
  for (const char* text : {"", "a\r\nb\r\n", "a\nb\rc", "caf\xe9\tx"}) {
    SCOPED_TRACE(text);
    String file = WriteFile("Unit2.pas", text);
    ASSERT_TRUE(ToolServices->OpenFile(file));
    FModuleIntf.Reset(ToolServices->GetModuleInterface(file));
    FEditor.Reset(FModuleIntf->GetEditorInterface());
    EXPECT_EQ(ReadAll(4097), text);
    EXPECT_EQ(FEditor->LinesInBuffer(), String(text).find_first_of("\r\n") != String::npos ? 3 : 1);
    FEditor.Reset();
    FModuleIntf.Reset();
    ToolServices->CloseFile(file);
  }
}

TEST_F(EditorTest, ReaderCopiesBlocksAndReportsZeroAtTheEnd) {
  Open(String(4097, 'x'));
  std::vector<LongInt> counts;
  EXPECT_EQ(ReadAll(4097, &counts).size(), 4097u);
  EXPECT_EQ(counts, (std::vector<LongInt>{4097, 0}));

  Open(String(5000, 'y'), "Big.pas");
  counts.clear();
  EXPECT_EQ(ReadAll(4097, &counts), String(5000, 'y'));
  EXPECT_EQ(counts, (std::vector<LongInt>{4097, 903}));

  TInterfaceGuard<TIEditReader> reader(FEditor->CreateReader());
  char buf[8] = {};
  EXPECT_EQ(reader->GetText(5000, buf, 8), 0);
  EXPECT_EQ(reader->GetText(-1, buf, 8), 0);
  EXPECT_EQ(reader->GetText(0, buf, 0), 0);
  EXPECT_EQ(reader->GetText(0, nullptr, 8), 0);
}

TEST_F(EditorTest, EditorPositionsConvertToBufferOffsets) {
  Open("ab\r\ncdef\r\n\r\nxyz");
  struct {
    LongInt Line, Col, Offset;
  } rows[] = {
      {1, 1, 0},   {1, 3, 2},   {1, 9, 2},     // past the end of a line: its end
      {2, 1, 4},   {2, 5, 8},   {3, 1, 10},    // an empty line
      {4, 3, 14},  {4, 4, 15},  {5, 1, 15},    // past the last line: the buffer's end
      {99, 7, 15}, {0, 1, -1},  {1, 0, -1},    // before the buffer: none
      {-3, 1, -1},
  };
  for (const auto& row : rows) EXPECT_EQ(Offset(row.Line, row.Col), row.Offset) << row.Line << ":" << row.Col;

  Open("", "Empty.pas");
  EXPECT_EQ(Offset(1, 1), 0);
  EXPECT_EQ(Offset(2, 1), 0);

  TInterfaceGuard<TIEditView> view(FEditor->GetView(0));
  TEditPos ep{};
  TCharPos cp{4, 7};
  view->ConvertPos(false, ep, cp);
  EXPECT_EQ(ep, (TEditPos{5, 7}));
}

TEST_F(EditorTest, ConvertPosExpandsTabsAndKeepsVirtualColumnsBothWays) {
  Open("\tab\r\nx\ty");
  TInterfaceGuard<TIEditView> view(FEditor->GetView(0));
  struct {
    Integer TabWidth;
    TEditPos Edit;
    TCharPos Char;
    TEditPos Back;  // where the character starts
    LongInt Offset;
  } rows[] = {
      {8, {5, 1}, {0, 1}, {1, 1}, 0},     // inside the tab: the tab
      {8, {9, 1}, {1, 1}, {9, 1}, 1},
      {8, {14, 1}, {6, 1}, {14, 1}, 3},   // past the end: virtual, the line's end as an offset
      {8, {9, 2}, {2, 2}, {9, 2}, 7},
      {8, {3, 4}, {2, 4}, {3, 4}, 8},     // past the last line: the buffer's end
      {8, {0, 1}, {-1, 1}, {0, 1}, -1},   // before the line
      {4, {5, 1}, {1, 1}, {5, 1}, 1},
      {4, {5, 2}, {2, 2}, {5, 2}, 7},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.TabWidth << " " << row.Edit.Line << ":" << row.Edit.Col);
    EditorOptions.TabWidth = row.TabWidth;
    TEditPos edit = row.Edit;
    TCharPos cp;
    view->ConvertPos(true, edit, cp);
    EXPECT_EQ(cp, row.Char);
    EXPECT_EQ(view->CharPosToPos(cp), row.Offset);
    TEditPos back;
    view->ConvertPos(false, back, cp);
    EXPECT_EQ(back, row.Back);
  }
  EditorOptions = TEditorOptions();
}

TEST_F(EditorTest, ViewReadsAndMovesTheEditorControlsCaret) {
  Open("first\r\nsecond\r\nthird");
  TInterfaceGuard<TIEditView> view(FEditor->GetView(0));
  EXPECT_EQ(view->GetPos(0), (TEditPos{1, 1}));
  view->SetPos(0, {4, 2});
  EXPECT_EQ(Control()->GetCaretX(), 4);
  EXPECT_EQ(Control()->GetCaretY(), 2);

  // Typing goes where the view put the cursor.
  TypeKey(Control()->GetHandle(), 'Z');
  EXPECT_EQ(FModule->GetText(), "first\r\nseczond\r\nthird");
  EXPECT_EQ(view->GetPos(0), (TEditPos{5, 2}));

  struct {
    TEditPos Set, Got;
  } rows[] = {
      {{40, 3}, {40, 3}},  // beyond the line's end: the cursor may stand there
      {{2, 99}, {2, 3}},   // past the last line: the last line
      {{0, 0}, {1, 1}},
  };
  for (const auto& row : rows) {
    view->SetPos(0, row.Set);
    EXPECT_EQ(view->GetPos(0), row.Got) << row.Set.Col << ":" << row.Set.Line;
  }
  EXPECT_EQ(view->GetPos(1), (TEditPos{1, 1}));  // the view's top
  EXPECT_EQ(view->GetPos(5), TEditPos{});
}

TEST_F(EditorTest, ModuleWithoutAShownEditorWindowHasNoView) {
  Open("text");
  EXPECT_EQ(FEditor->GetViewCount(), 1);
  EXPECT_EQ(FEditor->GetView(1), nullptr);
  FModule->GetEditWindow()->Hide();
  EXPECT_EQ(FEditor->GetViewCount(), 0);
  EXPECT_EQ(FEditor->GetView(0), nullptr);
  EXPECT_EQ(ToolServices->GetCurrentFile(), "");
  TInterfaceGuard<TIEditReader> reader(FEditor->CreateReader());
  EXPECT_TRUE(reader);  // the buffer is still there
  EXPECT_TRUE(FModuleIntf->ShowSource());
  EXPECT_EQ(FEditor->GetViewCount(), 1);
  EXPECT_EQ(ToolServices->GetCurrentFile(), "Unit1.pas");
}

TEST_F(EditorTest, EachWriterIsOneUndoStepTakenBackInReverse) {
  Open("line1\r\nline2\r\nline3");
  // Deleting line 2 with its break, then inserting a replacement, as two writers.
  Write(Offset(2, 1), Offset(3, 1), nullptr);
  Write(Offset(2, 1), 0, "new\n");
  EXPECT_EQ(FModule->GetText(), "line1\r\nnew\nline3");  // the bare LF stays, and is a break
  EXPECT_EQ(FEditor->LinesInBuffer(), 3);
  TEditBuffer* buffer = FModule->GetBuffer();
  ASSERT_EQ(buffer->GetUndoCount(), 2);
  EXPECT_EQ(buffer->GetUndoStep(0).Changes[0].Deleted, "line2\r\n");
  EXPECT_EQ(buffer->GetUndoStep(1).Changes[0].Offset, 7);

  EXPECT_TRUE(FModule->Undo());
  EXPECT_EQ(FModule->GetText(), "line1\r\nline3");
  EXPECT_TRUE(FModule->Undo());
  EXPECT_EQ(FModule->GetText(), "line1\r\nline2\r\nline3");
  EXPECT_FALSE(FModule->Undo());
}

TEST_F(EditorTest, AWriterChangesTheBufferOnlyWhenReleasedAndHoldsItMeanwhile) {
  Open("0123456789");
  auto* writer = FEditor->CreateUndoableWriter();
  ASSERT_NE(writer, nullptr);
  EXPECT_TRUE(writer->CopyTo(2));
  EXPECT_TRUE(writer->DeleteTo(4));
  EXPECT_TRUE(writer->Insert("abc"));
  EXPECT_TRUE(writer->CopyTo(6));
  EXPECT_TRUE(writer->Insert("!"));
  EXPECT_EQ(writer->Position(), 6);
  EXPECT_FALSE(writer->CopyTo(5));  // behind the writer
  EXPECT_FALSE(writer->DeleteTo(1));
  EXPECT_TRUE(writer->DeleteTo(1000));  // past the end: up to the end

  // Meanwhile readers see the buffer as it was, no second writer is given out, and typing
  // and undo wait.
  EXPECT_EQ(ReadAll(4097), "0123456789");
  EXPECT_EQ(FEditor->CreateUndoableWriter(), nullptr);
  TypeKey(Control()->GetHandle(), 'Q');
  EXPECT_FALSE(FModule->Undo());
  EXPECT_EQ(FModule->GetText(), "0123456789");

  writer->Release();
  EXPECT_EQ(FModule->GetText(), "01abc45!");
  EXPECT_EQ(FModule->GetBuffer()->GetUndoCount(), 1);
  TInterfaceGuard<TIEditWriter> next(FEditor->CreateUndoableWriter());
  EXPECT_TRUE(next);
  next.Reset();
  EXPECT_EQ(FModule->GetBuffer()->GetUndoCount(), 1) << "a writer that wrote nothing makes no step";
  EXPECT_TRUE(FModule->Undo());
  EXPECT_EQ(FModule->GetText(), "0123456789");
}

TEST_F(EditorTest, AWriterWhoseBufferWasLoadedAgainDropsItsEdits) {
  Open("abc");
  TInterfaceGuard<TIEditWriter> writer(FEditor->CreateUndoableWriter());
  writer->CopyTo(1);
  writer->Insert("X");
  Control()->SetText("new text");
  writer.Reset();
  EXPECT_EQ(FModule->GetText(), "new text");
  EXPECT_EQ(FModule->GetBuffer()->GetUndoCount(), 0);
}

TEST_F(EditorTest, LineBreaksStayWholeWhenAWriterAimsBetweenCrAndLf) {
  Open("ab\r\ncd");
  Write(1, 3, nullptr);  // 3 lies inside the break: the whole break goes
  EXPECT_EQ(FModule->GetText(), "acd");
  EXPECT_TRUE(FModule->Undo());
  Write(3, 0, "X");  // inserting inside the break lands after it
  EXPECT_EQ(FModule->GetText(), "ab\r\nXcd");
}

TEST_F(EditorTest, CursorKeepsItsPlaceInTheTextAcrossEditsAndUndo) {
  Open("aaa\r\nbbb\r\nccc");
  Control()->SetCaretX(2);
  Control()->SetCaretY(3);
  Write(Offset(1, 1), 0, "new line\r\n");  // before the cursor: it moves down with its text
  EXPECT_EQ(Control()->GetCaretY(), 4);
  EXPECT_EQ(Control()->GetCaretX(), 2);
  Write(Offset(4, 3), 0, "zz");  // after it: it stays
  EXPECT_EQ(Control()->GetCaretX(), 2);
  Write(Offset(4, 1), Offset(4, 2), nullptr);  // before it on its own line: it moves left
  EXPECT_EQ(Control()->GetCaretX(), 1);
  while (FModule->Undo()) {
  }
  EXPECT_EQ(Control()->GetCaretY(), 3);
  EXPECT_EQ(Control()->GetCaretX(), 2);
}

// One undo list for the user's keys and the tools' writers: Ctrl+Z in the editor and Undo
// in the Edit menu take back the last step of either kind, in order.
TEST_F(EditorTest, KeysAndWritersUndoInOrderFromTheEditorAndTheMenu) {
  Open("abc");
  Write(3, 0, "!");
  Control()->SetCaretX(1);
  TypeKey(Control()->GetHandle(), 'Q');
  ASSERT_EQ(FModule->GetText(), "qabc!");
  ASSERT_EQ(FModule->GetBuffer()->GetUndoCount(), 2);

  TypeCtrlKey(Control()->GetHandle(), 'Z');
  EXPECT_EQ(FModule->GetText(), "abc!");
  EXPECT_EQ(Control()->GetCaretX(), 1);

  IDE->GetMainWindow()->GetMainMenu()->GetItems()->FindByName("EditUndoItem")->Click();
  EXPECT_EQ(FModule->GetText(), "abc");
  EXPECT_FALSE(FModule->Undo());
}

TEST_F(EditorTest, HelperReleasesEverythingItObtainedWhenAHostCallRaises) {
  Open("text");
  // The way an expert's helper reaches the first view, with guards.
  auto caret = [] {
    TInterfaceGuard<TIModuleInterface> module(ToolServices->GetModuleInterface(ToolServices->GetCurrentFile()));
    TInterfaceGuard<TIEditorInterface> editor(module->GetEditorInterface());
    TInterfaceGuard<TIEditView> view(editor->GetViewCount() > 0 ? editor->GetView(0) : nullptr);
    return view->GetPos(0);
  };
  int live = GetLiveInterfaceCount();
  for (const char* op : {"TIEditorInterface.GetView", "TIEditView.GetPos", "TIModuleInterface.GetEditorInterface"}) {
    SCOPED_TRACE(op);
    SetInterfaceFault(op, "host failed");
    EXPECT_THROW(caret(), Exception);
    EXPECT_EQ(GetLiveInterfaceCount(), live);
    ClearInterfaceFaults();
  }
  EXPECT_EQ(caret(), (TEditPos{1, 1}));
  EXPECT_EQ(GetLiveInterfaceCount(), live);
}

}  // namespace
