// Reading a large unit into the expert's line list through the IDE's reader, against reading
// the same bytes from memory into lines with std::getline; and 20 MB against 10 MB, which a
// reader that copied more than the block asked for would make quadratic.
#include <benchmark/benchmark.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "expert/QVExpert.h"
#include "platform/ide/AppBuilder.h"

namespace {

// A unit of about `megabytes` MB of ordinary Pascal lines ending in CR LF.
const String& UnitText(int megabytes) {
  static std::map<int, String> texts;
  String& text = texts[megabytes];
  if (!text.empty()) return text;
  static const char* const lines[] = {
      "procedure TForm1.Button1Click(Sender: TObject);",
      "var",
      "  I: Integer;",
      "begin",
      "  for I := 0 to ListBox1.Items.Count - 1 do",
      "    if ListBox1.Selected[I] then",
      "      Memo1.Lines.Add(ListBox1.Items[I] + ' (' + IntToStr(I) + ')');",
      "  Caption := Format('%d items', [ListBox1.Items.Count]);",
      "end;",
      "",
  };
  const size_t size = static_cast<size_t>(megabytes) << 20;
  text.reserve(size + 128);
  for (size_t i = 0; text.size() < size; ++i) {
    text += lines[i % std::size(lines)];
    text += "\r\n";
  }
  return text;
}

// The IDE with the unit open in the front editor, and an expert to read it.
struct TBenchUnit {
  TQVCustomExpert* Expert;
  explicit TBenchUnit(const String& text) {
    InitApplication();
    BootIDE();
    IDE->GetProject()->OpenBuffer("Big.pas", text);
    Expert = new TQVCustomExpert();
  }
  ~TBenchUnit() {
    Expert->Release();
    ShutdownIDE();
    DoneApplication();
  }
};

void BM_GetLine(benchmark::State& state) {
  const String& text = UnitText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    benchmark::DoNotOptimize(lines.data());
  }
}

void BM_InitSource(benchmark::State& state) {
  TBenchUnit unit(UnitText(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    unit.Expert->InitSource();
    benchmark::DoNotOptimize(unit.Expert->GetSource()->GetCount());
  }
  if (unit.Expert->GetSource()->GetCount() < 1000) state.SkipWithError("the unit was not read");
}

}  // namespace

BENCHMARK(BM_GetLine)->Name("InitSource 10 MB/baseline getline into a vector")->Arg(10)
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_InitSource)->Name("InitSource 10 MB/InitSource")->Arg(10)
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_InitSource)->Name("InitSource scaling/baseline 10 MB")->Arg(10)
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_InitSource)->Name("InitSource scaling/20 MB")->Arg(20)
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
