// Form files made by others with the original tools: each is read to its component tree and
// converted text -> binary -> text -> binary, the second binary equal to the first; files the
// original IDE wrote come out byte for byte as it wrote them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "StreamText.h"
#include "support/FormTree.h"

namespace fs = std::filesystem;

namespace {

// Where the files are: copied into the repository, or beside it in the shared test data,
// which a fresh clone does not have.
std::vector<fs::path> FormFileFolders() {
  const fs::path repo = BRISK_SOURCE_DIR;
  return {repo / "tests" / "data" / "dfm", repo.parent_path() / "shared" / "testdata" / "dfm"};
}

fs::path FindFormFile(const std::string& relative) {
  for (const fs::path& folder : FormFileFolders())
    if (fs::is_regular_file(folder / relative)) return folder / relative;
  return {};
}

String ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return String(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct TRealFormFile {
  const char* Path;  // under the folder
  bool Binary;
  const char* Root;  // "Name: TClass"
  int Components;    // under the root, at any depth
  const char* Component;
  const char* Property;
  const char* Value;
  // The original wrote it exactly as the converters do: a binary file back from its text
  // (it holds no UTF-8 strings, which later versions write), a text file back from binary.
  bool AsTheOriginalWroteIt;
};

const TRealFormFile kRealFormFiles[] = {
    {"amoba/CliBmp.dfm", true, "FormBmp: TFormBmp", 1, "Image1", "Width", "543", true},
    {"amoba/Unit1.dfm", false, "Form1: TForm1", 26, "cmdScreenshot", "Caption", "Screenshot", true},
    {"bolcsesseg/TipForm.dfm", true, "TipForm: TTipForm", 6, "cmdBezaras", "Width", "81", true},
    {"knights-tour/U_AllKnightsTours.dfm", true, "f: Tf", 22, "Moveslbl", "Caption", "Total moves tried: ", true},
    {"logic-problem-solver/U_ChgVarName.dfm", true, "OKBottomDlg1: TOKBottomDlg1", 5, "OKBtn", "ModalResult", "1", true},
    // Written by a later version, which writes characters above 127 as #n.
    {"logic-problem-solver/U_LogForm.dfm", false, "Logform: TLogform", 5, "InfoMemo", "Color", "14548991", false},
    {"logic-problem-solver/U_Logic.dfm", true, "Form1: TForm1", 126, "StaticText8", "Caption",
     "Copyright \xA9 2002- 2016, Gary Darby,  www.DelphiForFun.org", false},
    {"logic-problem-solver/U_NewVarDlg.dfm", true, "OKBottomDlg: TOKBottomDlg", 7, "OKBtn", "Top", "204", true},
    {"logic-problem-solver/U_PrintTables.dfm", true, "Form2: TForm2", 8, "Print1", "Caption", "Print", false},
    {"logic-problem-solver/U_Show_If.dfm", false, "ShowIFForm: TShowIFForm", 3, "InfoMemo", "Height", "121", false},
    {"xmas/XMain.dfm", true, "XForm: TXForm", 2, "Timer", "Interval", "50", true},
};

class RealFormFilesTest : public testing::TestWithParam<TRealFormFile> {};

TEST_P(RealFormFilesTest, ReadsAndConvertsBothWaysStably) {
  const TRealFormFile& row = GetParam();
  const fs::path path = FindFormFile(row.Path);
  if (path.empty()) GTEST_SKIP() << row.Path << " is in neither tests/data/dfm nor ../shared/testdata/dfm";
  const String file = ReadFile(path);

  TAutoFree<TMemoryStream> probe(new TMemoryStream());
  probe->SetDataString(file);
  ASSERT_EQ(TestStreamFormat(probe.Get()), row.Binary ? sofBinary : sofText);

  const String text0 = row.Binary ? Convert(ObjectResourceToText, file) : file;
  const String binary1 = Convert(ObjectTextToResource, text0);
  const String text1 = Convert(ObjectResourceToText, binary1);
  const String binary2 = Convert(ObjectTextToResource, text1);
  EXPECT_EQ(binary2, binary1);

  const TFormNode root = ReadFormTree(row.Binary ? file : binary1);
  EXPECT_EQ(root.Name + ": " + root.ClassName, row.Root);
  EXPECT_EQ(root.Count() - 1, row.Components);
  const TFormNode* component = root.Find(row.Component);
  ASSERT_NE(component, nullptr) << row.Component;
  EXPECT_EQ(component->Prop(row.Property), row.Value);
  EXPECT_EQ(ReadFormTree(binary1).Count(), root.Count());

  if (row.Binary) {
    // The header names the root's class in capitals and gives the data's size.
    const size_t nameEnd = file.find('\0', 3);
    EXPECT_EQ(file.substr(3, nameEnd - 3), UpperCase(root.ClassName));
    if (row.AsTheOriginalWroteIt) {
      EXPECT_EQ(Hex(binary1), Hex(file));
    }
  } else if (row.AsTheOriginalWroteIt) {
    EXPECT_EQ(text1, file);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, RealFormFilesTest, testing::ValuesIn(kRealFormFiles), [](const auto& info) {
  std::string name = fs::path(info.param.Path).stem().string();
  std::replace_if(name.begin(), name.end(), [](char c) { return !isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
});

// A form file added to the folders later is not left out silently.
TEST(RealFormFilesFolderTest, EveryFileInTheFoldersHasARow) {
  std::set<std::string> found;
  for (const fs::path& folder : FormFileFolders()) {
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
      if (entry.is_regular_file() && SameText(entry.path().extension().string(), ".dfm"))
        found.insert(fs::relative(entry.path(), folder).generic_string());
  }
  if (found.empty()) GTEST_SKIP() << "no form files in tests/data/dfm or ../shared/testdata/dfm";
  for (const std::string& file : found)
    EXPECT_TRUE(std::any_of(std::begin(kRealFormFiles), std::end(kRealFormFiles), [&](const TRealFormFile& row) { return file == row.Path; }))
        << file << " has no row in kRealFormFiles";
}

}  // namespace
