// The editor buffer: its text, line index, tab columns and undo list.
#include "EditBuffer.h"

#include <algorithm>
#include <cstring>

#include "platform/vcl/Classes.h"

IMPLEMENT_CLASS(TEditBuffer, TObject)

TEditorOptions EditorOptions;

namespace {
LongInt TabWidth() { return EditorOptions.TabWidth > 0 ? EditorOptions.TabWidth : 1; }
}  // namespace

TEditBuffer::TEditBuffer() : FLineStarts{0} {}

// A line starts after an LF, and after a CR that no LF follows; the start of the text is
// the first line's and not counted here.
bool TEditBuffer::IsLineStart(LongInt Pos) const {
  if (Pos <= 0 || Pos > GetSize()) return false;
  char before = FText[static_cast<size_t>(Pos - 1)];
  if (before == '\n') return true;
  return before == '\r' && (Pos == GetSize() || FText[static_cast<size_t>(Pos)] != '\n');
}

void TEditBuffer::SetText(const String& Text) {
  FText = Text;
  FLineStarts.assign(1, 0);
  const char* p = FText.data();
  const char* end = p + FText.size();
  while (p < end) {
    const char* brk = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>((brk ? brk : end) - p)));
    if (cr) {
      p = cr + 1;
      if (p < end && *p == '\n') ++p;
    } else if (brk) {
      p = brk + 1;
    } else {
      break;
    }
    FLineStarts.push_back(static_cast<LongInt>(p - FText.data()));
  }
  FUndo.clear();
  FSavedSerial = ++FSerial;
}

LongInt TEditBuffer::Read(LongInt Offset, char* Buffer, LongInt Count) const {
  if (!Buffer || Offset < 0 || Count <= 0 || Offset >= GetSize()) return 0;
  LongInt n = std::min(GetSize() - Offset, Count);
  std::memcpy(Buffer, FText.data() + Offset, static_cast<size_t>(n));
  return n;
}

// The end of a line's text: before the break that starts the next line.
LongInt TEditBuffer::LineEnd(size_t LineIndex) const {
  if (LineIndex + 1 >= FLineStarts.size()) return GetSize();
  LongInt next = FLineStarts[LineIndex + 1];
  LongInt end = next - 1;
  if (FText[static_cast<size_t>(end)] == '\n' && end > FLineStarts[LineIndex] &&
      FText[static_cast<size_t>(end - 1)] == '\r')
    --end;
  return end;
}

LongInt TEditBuffer::GetLineStart(LongInt Line) const {
  Line = std::clamp<LongInt>(Line, 1, GetLineCount());
  return FLineStarts[static_cast<size_t>(Line - 1)];
}

std::string_view TEditBuffer::GetLine(LongInt Line) const {
  if (Line < 1 || Line > GetLineCount()) return {};
  size_t i = static_cast<size_t>(Line - 1);
  return std::string_view(FText).substr(static_cast<size_t>(FLineStarts[i]),
                                        static_cast<size_t>(LineEnd(i) - FLineStarts[i]));
}

LongInt TEditBuffer::CharPosToPos(LongInt Line, LongInt CharIndex) const {
  if (Line < 1 || CharIndex < 0) return -1;
  if (Line > GetLineCount()) return GetSize();
  size_t i = static_cast<size_t>(Line - 1);
  const LongInt start = FLineStarts[i], end = LineEnd(i);
  return CharIndex < end - start ? start + CharIndex : end;
}

void TEditBuffer::PosToCharPos(LongInt Pos, LongInt& Line, LongInt& CharIndex) const {
  Pos = std::clamp<LongInt>(Pos, 0, GetSize());
  auto it = std::upper_bound(FLineStarts.begin(), FLineStarts.end(), Pos);
  size_t i = static_cast<size_t>(it - FLineStarts.begin()) - 1;
  Line = static_cast<LongInt>(i) + 1;
  CharIndex = std::min(Pos, LineEnd(i)) - FLineStarts[i];
}

LongInt TEditBuffer::Snap(LongInt Pos) const {
  if (Pos <= 0) return 0;
  if (Pos >= GetSize()) return GetSize();
  size_t p = static_cast<size_t>(Pos);
  return FText[p - 1] == '\r' && FText[p] == '\n' ? Pos + 1 : Pos;
}

LongInt TEditBuffer::IndexToColumn(LongInt Line, LongInt Index) const {
  if (Index < 0) return Index + 1;
  std::string_view s = GetLine(Line);
  const LongInt tab = TabWidth();
  LongInt col = 1;
  LongInt n = std::min<LongInt>(Index, static_cast<LongInt>(s.size()));
  for (LongInt i = 0; i < n; ++i) col = s[static_cast<size_t>(i)] == '\t' ? ((col - 1) / tab + 1) * tab + 1 : col + 1;
  return col + (Index - n);
}

LongInt TEditBuffer::ColumnToIndex(LongInt Line, LongInt Col) const {
  if (Col < 1) return Col - 1;
  std::string_view s = GetLine(Line);
  const LongInt tab = TabWidth();
  LongInt col = 1;
  for (size_t i = 0; i < s.size(); ++i) {
    LongInt next = s[i] == '\t' ? ((col - 1) / tab + 1) * tab + 1 : col + 1;
    if (Col < next) return static_cast<LongInt>(i);
    col = next;
  }
  return static_cast<LongInt>(s.size()) + (Col - col);
}

// Only the line starts whose two neighbouring bytes changed are looked at again: those at
// the edit's place and within the new text. The ones after it move with it.
void TEditBuffer::Replace(LongInt Offset, LongInt Count, const String& Text) {
  const LongInt inserted = static_cast<LongInt>(Text.size());
  FText.replace(static_cast<size_t>(Offset), static_cast<size_t>(Count), Text);
  auto first = std::lower_bound(FLineStarts.begin() + 1, FLineStarts.end(), Offset);
  auto last = std::upper_bound(first, FLineStarts.end(), Offset + Count);
  const LongInt delta = inserted - Count;
  for (auto it = last; it != FLineStarts.end(); ++it) *it += delta;
  std::vector<LongInt> fresh;
  for (LongInt p = std::max<LongInt>(Offset, 1); p <= Offset + inserted; ++p)
    if (IsLineStart(p)) fresh.push_back(p);
  auto at = FLineStarts.erase(first, last);
  FLineStarts.insert(at, fresh.begin(), fresh.end());
  ++FSerial;
}

bool TEditBuffer::Apply(const std::vector<TBufferEdit>& Edits, Integer CaretX, Integer CaretY) {
  TEditStep step;
  step.CaretX = CaretX;
  step.CaretY = CaretY;
  LongInt done = 0;  // where the edit before ends: an overlapping edit starts there
  for (const TBufferEdit& e : Edits) {
    LongInt start = std::max(done, Snap(e.Offset));
    LongInt finish = std::max(start, Snap(e.Offset + std::max<LongInt>(e.Count, 0)));
    done = finish;
    if (finish == start && e.Text.empty()) continue;
    step.Changes.push_back({start, FText.substr(static_cast<size_t>(start), static_cast<size_t>(finish - start)), e.Text});
  }
  if (step.Changes.empty()) return false;
  // From the last to the first, so the offsets before each change still hold.
  for (auto it = step.Changes.rbegin(); it != step.Changes.rend(); ++it)
    Replace(it->Offset, static_cast<LongInt>(it->Deleted.size()), it->Inserted);
  FUndo.push_back(std::move(step));
  return true;
}

// The first change is the last one made, and each one before it was made on the text as it
// stands once the changes ahead of it are taken back; so they go back from the first on.
bool TEditBuffer::Undo(Integer& CaretX, Integer& CaretY) {
  if (FUndo.empty()) return false;
  TEditStep step = std::move(FUndo.back());
  FUndo.pop_back();
  for (const TEditChange& c : step.Changes) Replace(c.Offset, static_cast<LongInt>(c.Inserted.size()), c.Deleted);
  CaretX = step.CaretX;
  CaretY = step.CaretY;
  return true;
}

const TEditStep& TEditBuffer::GetUndoStep(Integer Index) const {
  if (Index < 0 || Index >= GetUndoCount()) TList::Error("List index out of bounds (%d)", Index);
  return FUndo[static_cast<size_t>(Index)];
}
