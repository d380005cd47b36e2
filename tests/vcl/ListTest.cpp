// Lists and string lists: index errors, sorted lists and duplicates, the Text property.
#include <gtest/gtest.h>

#include <functional>

#include "platform/vcl/Classes.h"
#include "support/ErrorOf.h"

namespace {

struct TChangeCounter {
  int Changing = 0, Changed = 0;
  void OnChanging(TObject*) { ++Changing; }
  void OnChanged(TObject*) { ++Changed; }
  void Watch(TStringList* list) {
    list->OnChanging = MethodOf<&TChangeCounter::OnChanging>(this);
    list->OnChange = MethodOf<&TChangeCounter::OnChanged>(this);
  }
};

TEST(ListTest, IndexErrorsNameTheBadIndex) {
  TList* list = new TList();
  int item = 0;
  list->Add(&item);
  list->Add(&item);
  struct {
    const char* Name;
    std::function<void()> Op;
    const char* Error;
  } rows[] = {
      {"Get(-1)", [&] { list->Get(-1); }, "EListError: List index out of bounds (-1)"},
      {"Get(Count)", [&] { list->Get(2); }, "EListError: List index out of bounds (2)"},
      {"Put", [&] { list->Put(5, &item); }, "EListError: List index out of bounds (5)"},
      {"Delete", [&] { list->Delete(2); }, "EListError: List index out of bounds (2)"},
      {"Insert past Count", [&] { list->Insert(3, &item); }, "EListError: List index out of bounds (3)"},
      {"Exchange", [&] { list->Exchange(0, 7); }, "EListError: List index out of bounds (7)"},
      {"Move to", [&] { list->Move(0, 2); }, "EListError: List index out of bounds (2)"},
      {"Remove absent", [&] { EXPECT_EQ(list->Remove(list), -1); }, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(ErrorOf(row.Op), row.Error);
    EXPECT_EQ(list->GetCount(), 2);
  }
  EXPECT_EQ(ErrorOf([&] { list->Insert(2, &item); }), "") << "Insert takes 0..Count";
  list->Clear();
  EXPECT_EQ(ErrorOf([&] { list->First(); }), "EListError: List index out of bounds (0)");
  EXPECT_EQ(ErrorOf([&] { list->Last(); }), "EListError: List index out of bounds (-1)");
  list->Free();
}

TEST(StringListTest, IndexErrorsAreStringListErrors) {
  TStringList* list = new TStringList();
  list->Add("a");
  EXPECT_EQ(ErrorOf([&] { list->Get(1); }), "EStringListError: List index out of bounds (1)");
  EXPECT_EQ(ErrorOf([&] { list->GetObject(-2); }), "EStringListError: List index out of bounds (-2)");
  EXPECT_EQ(ErrorOf([&] { list->Insert(2, "x"); }), "EStringListError: List index out of bounds (2)");
  EXPECT_EQ(ErrorOf([&] { list->Delete(1); }), "EStringListError: List index out of bounds (1)");
  list->Free();
}

TEST(StringListTest, SortedListsKeepOrderAndHandleDuplicatesAsConfigured) {
  TStringList* list = new TStringList();
  TChangeCounter counter;
  counter.Watch(list);
  list->Add("delta");
  list->Add("Bravo");
  list->SetSorted(true);
  ASSERT_EQ(list->GetText(), "Bravo\r\ndelta\r\n");
  counter = {};

  // dupIgnore: the existing entry's index, nothing changes, nobody is told.
  EXPECT_EQ(list->Add("BRAVO"), 0);
  EXPECT_EQ(list->GetCount(), 2);
  EXPECT_EQ(counter.Changing + counter.Changed, 0);

  EXPECT_EQ(list->Add("charlie"), 1);
  EXPECT_EQ(counter.Changing, 1);
  EXPECT_EQ(counter.Changed, 1);
  EXPECT_EQ(list->IndexOf("CHARLIE"), 1);

  list->SetDuplicates(dupError);
  EXPECT_EQ(ErrorOf([&] { list->Add("Delta"); }), "EStringListError: String list does not allow duplicates");
  list->SetDuplicates(dupAccept);
  EXPECT_EQ(list->Add("DELTA"), 2) << "an accepted duplicate goes before its equals";
  EXPECT_EQ(list->GetText(), "Bravo\r\ncharlie\r\nDELTA\r\ndelta\r\n");

  EXPECT_EQ(ErrorOf([&] { list->Insert(0, "alpha"); }), "EStringListError: Operation not allowed on sorted string list");
  EXPECT_EQ(ErrorOf([&] { list->Put(0, "alpha"); }), "EStringListError: Operation not allowed on sorted string list");
  EXPECT_EQ(list->GetCount(), 4);
  list->Free();
}

TEST(StringListTest, UnsortedIndexOfFindsTheFirstMatchWithoutRegardToCase) {
  TStringList* list = new TStringList();
  for (const char* s : {"Alpha", "beta", "BETA"}) list->Add(s);
  EXPECT_EQ(list->IndexOf("Beta"), 1);
  EXPECT_EQ(list->IndexOf("gamma"), -1);
  list->Free();
}

// The setter reads the text as a zero-terminated string; a line ends at CR, LF or CR LF.
TEST(StringListTest, TextSplitsAtCrLfCrOrLfAndStopsAtNul) {
  struct {
    std::string Text;
    std::vector<std::string> Lines;
  } rows[] = {
      {"a\r\nb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"a\r\n", {"a"}},            // no empty line after the last break
      {"\r\n", {""}},
      {"", {}},
      {std::string("a\0b", 3), {"a"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
  };
  TStringList* list = new TStringList();
  TChangeCounter counter;
  counter.Watch(list);
  list->Add("old");
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.Text));
    counter = {};
    list->SetText(row.Text);
    std::vector<std::string> lines;
    for (Integer i = 0; i < list->GetCount(); ++i) lines.push_back(list->Get(i));
    EXPECT_EQ(lines, row.Lines);
    EXPECT_EQ(counter.Changed, 1) << "one change for the whole text";
  }
  list->SetText("a\nb");
  EXPECT_EQ(list->GetText(), "a\r\nb\r\n") << "every line ends with CR LF, the last one too";
  list->Free();
}

}  // namespace
