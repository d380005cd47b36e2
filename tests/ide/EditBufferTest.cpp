// The editor buffer on its own: line breaks of every kind, positions, tab columns, and the
// line index and undo list kept right through edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/ide/EditBuffer.h"

namespace {

// The buffer, freed at the end of the test.
struct TBuffer {
  TEditBuffer* B = new TEditBuffer();
  explicit TBuffer(const String& text) { B->SetText(text); }
  ~TBuffer() { B->Free(); }
  TEditBuffer* operator->() const { return B; }
};

// The lines of a text by the class library's rule, worked out the slow way.
std::vector<String> LinesOf(const String& text) {
  std::vector<String> lines{String()};
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

std::vector<String> LinesIn(const TBuffer& b) {
  std::vector<String> lines;
  for (Integer i = 1; i <= b->GetLineCount(); ++i) lines.emplace_back(b->GetLine(i));
  return lines;
}

TEST(EditBufferTest, KeepsTheBytesAndEndsLinesAtCrLfCrOrLf) {
  struct {
    const char* Text;
    std::vector<String> Lines;
  } rows[] = {
      {"", {""}},
      {"one", {"one"}},
      {"a\r\nb\r\n", {"a", "b", ""}},  // a final break leaves an empty last line
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"\r", {"", ""}},
      {"caf\xe9\tx", {"caf\xe9\tx"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    TBuffer b(row.Text);
    EXPECT_EQ(b->GetText(), row.Text);
    EXPECT_EQ(LinesIn(b), row.Lines);
  }
}

TEST(EditBufferTest, CharacterPositionsBecomeOffsetsAndBack) {
  TBuffer b("ab\r\ncd\rxyz\n");
  struct {
    LongInt Line, Index, Pos;
  } rows[] = {
      {1, 0, 0},  {1, 2, 2},  {1, 7, 2},   // past a line's end: the line's end, before its break
      {2, 1, 5},  {2, 9, 6},  {3, 3, 10},  // a lone CR and a lone LF end lines too
      {2, INT32_MAX, 6},
      {4, 0, 11}, {4, 5, 11}, {9, 0, 11},  // past the last line: the buffer's end
      {0, 0, -1}, {1, -1, -1},             // before the buffer
  };
  for (const auto& row : rows) EXPECT_EQ(b->CharPosToPos(row.Line, row.Index), row.Pos) << row.Line << ":" << row.Index;

  struct {
    LongInt Pos, Line, Index;
  } back[] = {{0, 1, 0}, {3, 1, 2}, {4, 2, 0}, {6, 2, 2}, {11, 4, 0}, {-5, 1, 0}, {99, 4, 0}};
  for (const auto& row : back) {
    LongInt line, index;
    b->PosToCharPos(row.Pos, line, index);
    EXPECT_EQ(line, row.Line) << row.Pos;
    EXPECT_EQ(index, row.Index) << row.Pos;
  }
  EXPECT_EQ(b->Snap(3), 4);  // between CR and LF: after the pair
  EXPECT_EQ(b->Snap(6), 6);  // a lone CR is whole on its own
  EXPECT_EQ(b->Snap(-1), 0);
  EXPECT_EQ(b->Snap(50), 11);
}

TEST(EditBufferTest, ColumnsExpandTabsToTheTabStops) {
  TBuffer b("\tab\r\nx\ty\r\n");
  struct {
    Integer TabWidth;
    LongInt Line, Col, Index;
  } rows[] = {
      {8, 1, 1, 0},  {8, 1, 5, 0},  {8, 1, 8, 0},  // a column inside a tab is the tab
      {8, 1, 9, 1},  {8, 1, 11, 3}, {8, 1, 14, 6},  // past the end every column is one character
      {8, 2, 2, 1},  {8, 2, 9, 2},  {8, 3, 4, 3},  // the tab after x reaches column 9; an empty line
      {8, 7, 2, 1},  {8, 1, 0, -1},                 // a line past the last is empty; column 0 is before it
      {4, 1, 5, 1},  {4, 2, 5, 2},  {1, 1, 2, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.TabWidth << " " << row.Line << ":" << row.Col);
    EditorOptions.TabWidth = row.TabWidth;
    EXPECT_EQ(b->ColumnToIndex(row.Line, row.Col), row.Index);
    // Back to the column where that character starts, which is the column itself unless it
    // lay inside a tab.
    LongInt start = b->IndexToColumn(row.Line, row.Index);
    EXPECT_LE(start, row.Col);
    EXPECT_EQ(b->ColumnToIndex(row.Line, start), row.Index);
  }
  EditorOptions = TEditorOptions();
  EXPECT_EQ(b->IndexToColumn(1, 1), 9);
  EXPECT_EQ(b->IndexToColumn(2, 3), 10);
}

// Random edits and undos over text made of breaks of every kind and tabs: after each, the
// line index agrees with the text worked out the slow way, and undoing everything gives
// back the text it started from.
TEST(EditBufferTest, LineIndexAndUndoStayTrueThroughEdits) {
  std::mt19937 random(2024);
  const char alphabet[] = "ab\r\n\t";
  auto pick = [&](int n) { return static_cast<LongInt>(random() % static_cast<unsigned>(n)); };
  auto text = [&](int maxLength) {
    String s;
    for (LongInt i = pick(maxLength + 1); i > 0; --i) s += alphabet[pick(5)];
    return s;
  };
  for (int round = 0; round < 50; ++round) {
    const String start = text(12);
    TBuffer b(start);
    std::vector<String> history{start};
    for (int step = 0; step < 20; ++step) {
      if (pick(4) == 0 && b->GetUndoCount() > 0) {
        Integer x, y;
        ASSERT_TRUE(b->Undo(x, y));
        history.pop_back();
        ASSERT_EQ(b->GetText(), history.back());
      } else {
        std::vector<TBufferEdit> edits;
        LongInt at = 0;
        for (LongInt n = pick(3) + 1; n > 0; --n) {
          at += pick(std::max(static_cast<int>(b->GetSize() - at) + 2, 1));
          LongInt count = pick(3);
          edits.push_back({at, count, text(3)});
          at += count;
        }
        if (b->Apply(edits, 1, 1)) history.push_back(b->GetText());
      }
      ASSERT_EQ(LinesIn(b), LinesOf(b->GetText())) << "round " << round << " step " << step;
    }
    Integer x, y;
    while (b->Undo(x, y)) {
    }
    EXPECT_EQ(b->GetText(), start);
  }
}

TEST(EditBufferTest, OneStepHoldsEveryEditInItsOffsetsAndTheCursorBeforeIt) {
  TBuffer b("0123456789");
  ASSERT_TRUE(b->Apply({{2, 2, "ab"}, {6, 0, "!"}, {8, 5, ""}}, 4, 1));
  EXPECT_EQ(b->GetText(), "01ab45!67");
  ASSERT_EQ(b->GetUndoCount(), 1);
  const TEditStep& step = b->GetUndoStep(0);
  ASSERT_EQ(step.Changes.size(), 3u);
  EXPECT_EQ(step.Changes[0].Deleted, "23");
  EXPECT_EQ(step.Changes[1].Offset, 6);
  EXPECT_EQ(step.Changes[2].Deleted, "89");  // clamped to the end
  EXPECT_FALSE(b->Apply({{3, 0, ""}}, 1, 1)) << "an edit that changes nothing makes no step";
  EXPECT_THROW(b->GetUndoStep(1), EListError);

  Integer x = 0, y = 0;
  ASSERT_TRUE(b->Undo(x, y));
  EXPECT_EQ(b->GetText(), "0123456789");
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, 1);
  EXPECT_FALSE(b->Undo(x, y));
}

}  // namespace
