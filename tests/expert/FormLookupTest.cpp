// The expert base's form lookups: which form file holds a form, and a component's property
// read from any form of the open project, its unit opened when needed, the editor left on the
// file that was current, and every interface given back in reverse order on every path.
#include <filesystem>
#include <fstream>

#include "expert/QVExpert.h"
#include "ide/IDEHostFixture.h"

namespace fs = std::filesystem;

namespace {

// The real form files: in the repository, or beside it in the shared test data, which a
// fresh clone does not have.
fs::path RealFormFile(const String& relative) {
  const fs::path repo = BRISK_SOURCE_DIR;
  for (const fs::path& folder : {repo / "tests" / "data" / "dfm", repo.parent_path() / "shared" / "testdata" / "dfm"})
    if (fs::is_regular_file(folder / relative)) return folder / relative;
  return {};
}

const char* const kSharedNote = "needs ../shared/testdata/dfm beside the repository";

class FormLookupTest : public TIDEHostFixture {
 protected:
  void SetUp() override {
    TIDEHostFixture::SetUp();
    Expert = new TQVCustomExpert();
    // A folder with a dot in its name: the unit beside a form file is found all the same.
    Dir = FDir / "My.Project";
    fs::create_directories(Dir);
  }
  void TearDown() override {
    SetInterfaceTrace(nullptr);
    ClearInterfaceFaults();
    Expert->Release();
    TIDEHostFixture::TearDown();
  }

  String Put(const String& name, const String& data) {
    const String path = (Dir / name).string();
    std::ofstream(path, std::ios::binary) << data;
    return path;
  }
  // A unit of the project folder with its binary form file, as the IDE saves them.
  String PutUnit(const String& name, const String& formText) {
    Put(name + ".dfm", BinaryFormFile(formText));
    return Put(name + ".pas", "unit " + name + ";");
  }
  String Lookup(const String& form, const String& component, const String& property) {
    String value = "untouched";
    Expert->GetPropertyValue(form, component, property, value);
    return value;
  }
  bool IsOpen(const String& unitName) { return ToolServices->IsFileOpen((Dir / unitName).string()); }
  std::vector<String> TraceOf(const String& suffix) const { return TraceEndingIn(Trace, suffix); }

  TQVCustomExpert* Expert = nullptr;
  fs::path Dir;
  std::vector<String> Trace;
};

// A project of three units: Main (open and current), Second and one whose form is named
// "active" in lower case (neither open).
class ProjectLookupTest : public FormLookupTest {
 protected:
  void SetUp() override {
    FormLookupTest::SetUp();
    Main = PutUnit("Main", "object Form1: TForm1\r\n  object Label1: TLabel\r\n    Caption = 'main'\r\n  end\r\nend\r\n");
    PutUnit("Second", "object Second: TSecond\r\n  object Edit1: TEdit\r\n    Text = 'second'\r\n  end\r\nend\r\n");
    PutUnit("Other", "object active: Tactive\r\n  object Label1: TLabel\r\n    Caption = 'other'\r\n  end\r\nend\r\n");
    Project()->AddFolder(Dir.string());
    ASSERT_TRUE(ToolServices->OpenFile(Main));
  }
  String Main;
};

TEST_F(FormLookupTest, FormInUnitMatchesThePrefixLetterAndExactlyTheFormName) {
  const String binaryForm1 = Put("Form1.dfm", BinaryFormFile("object Form1: TForm1\r\nend\r\n"));
  const String binaryForm10 = Put("Form10.dfm", BinaryFormFile("object Form10: TForm10\r\nend\r\n"));
  String noPrefix = BinaryFormFile("object Form1: TForm1\r\nend\r\n");
  noPrefix.erase(3, 1);  // resource name FORM1: the form name at position 1
  const String atPosition1 = Put("NoPrefix.dfm", noPrefix);
  const String text = RealFormFile("amoba/Unit1.dfm").string();  // "object Form1: TForm1"
  const String empty = Put("Empty.dfm", "");
  const String shortFile = Put("Short.dfm", "\xff\x0a");
  struct {
    String Form, File;
    bool Expected;
  } rows[] = {
      {"Form1", binaryForm1, true},
      {"form1", binaryForm1, true},
      {"FORM1", binaryForm1, true},
      {"Form", binaryForm1, false},
      {"orm1", binaryForm1, false},
      {"Form1", binaryForm10, false},  // a longer name that begins with the form's
      {"Form10", binaryForm10, true},
      {"Form1", atPosition1, false},
      {"Form1", text, false},
      {"Form1", empty, false},
      {"Form1", shortFile, false},
      {"Form1", (Dir / "Missing.dfm").string(), false},
      {"Form1", Dir.string(), false},  // a folder
      {"", binaryForm1, false},
      {"FormBmp", RealFormFile("amoba/CliBmp.dfm").string(), true},
      {"TipForm", RealFormFile("bolcsesseg/TipForm.dfm").string(), true},
      {"XForm", RealFormFile("xmas/XMain.dfm").string(), true},
      {"Form", RealFormFile("xmas/XMain.dfm").string(), false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Form + " in " + row.File);
    EXPECT_EQ(Expert->FormInUnit(row.Form, row.File), row.Expected);
  }
}

// The project with both TOKBOTTOMDLG and TOKBOTTOMDLG1, TFORM1 and TFORM2, and two text form
// files: each name finds its own file only, and text files none.
TEST_F(FormLookupTest, FormInUnitTellsTheDigitSuffixPairApart) {
  const fs::path folder = RealFormFile("logic-problem-solver/U_Logic.dfm").parent_path();
  if (folder.empty()) GTEST_SKIP() << kSharedNote;
  const std::vector<String> files = {"U_ChgVarName.dfm", "U_LogForm.dfm", "U_Logic.dfm",
                                     "U_NewVarDlg.dfm",  "U_PrintTables.dfm", "U_Show_If.dfm"};
  struct {
    const char* Form;
    std::vector<String> Matches;
  } rows[] = {
      {"OKBottomDlg1", {"U_ChgVarName.dfm"}}, {"OKBottomDlg", {"U_NewVarDlg.dfm"}}, {"Form1", {"U_Logic.dfm"}},
      {"Form2", {"U_PrintTables.dfm"}},       {"Logform", {}},                      {"ShowIFForm", {}},
      {"Form", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Form);
    std::vector<String> matches;
    for (const String& f : files)
      if (Expert->FormInUnit(row.Form, (folder / f).string())) matches.push_back(f);
    EXPECT_EQ(matches, row.Matches);
  }
  const fs::path knights = RealFormFile("knights-tour/U_AllKnightsTours.dfm");
  if (!knights.empty()) {
    EXPECT_TRUE(Expert->FormInUnit("f", knights.string()));  // resource name TF
  }
}

// "ACTIVE" and the empty name stand for the current module's form; "active" is a form name
// like any other, here of a unit not open yet.
TEST_F(ProjectLookupTest, ActiveAndTheEmptyNameMeanTheCurrentModulesForm) {
  struct {
    const char* Form;
    const char* Component;
    const char* Value;
  } rows[] = {
      {"ACTIVE", "Label1", "main"},   {"", "label1", "main"},        {"ACTIVE", "Edit1", "untouched"},
      {"active", "Label1", "other"},  {"Form1", "Label1", "main"},   {"Second", "Edit1", "second"},
      {"Nothing", "Label1", "untouched"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Form);
    EXPECT_EQ(Lookup(row.Form, row.Component, row.Component[0] == 'E' ? "Text" : "Caption"), row.Value);
    EXPECT_EQ(ToolServices->GetCurrentFile(), Main) << "the editor stays on the current file";
  }
  EXPECT_TRUE(IsOpen("Other.pas"));

  // No current module: every file closed (closing one shows the file in the tab beside it).
  while (Project()->GetModuleCount() > 0) ToolServices->CloseFile(Project()->GetModule(0)->GetFileName());
  EXPECT_EQ(Lookup("ACTIVE", "Label1", "Caption"), "untouched");
  TIToolServices* ide = ToolServices;
  ToolServices = nullptr;  // outside the IDE
  EXPECT_EQ(Lookup("Second", "Edit1", "Text"), "untouched");
  ToolServices = ide;
}

// The whole conversation of a lookup whose unit is not open: the project's form files are
// examined, the unit opened, the current file's source brought back, and everything given
// back last obtained first.
TEST_F(ProjectLookupTest, AUnitNotYetOpenIsOpenedAndTheCurrentFileStaysInFront) {
  ASSERT_FALSE(IsOpen("Second.pas"));
  SetInterfaceTrace(&Trace);
  EXPECT_EQ(Lookup("Second", "Edit1", "Text"), "second");
  SetInterfaceTrace(nullptr);
  EXPECT_EQ(Trace, (std::vector<String>{
                       "TIToolServices.GetCurrentFile", "TIToolServices.GetFormModuleInterface",
                       "TIToolServices.GetFormCount", "TIToolServices.GetFormName", "TIToolServices.GetFormName",
                       "TIToolServices.GetFormName", "TIToolServices.OpenFile", "TIToolServices.GetModuleInterface",
                       "TIModuleInterface.ShowSource", "TIModuleInterface.Release",
                       "TIToolServices.GetFormModuleInterface", "TIModuleInterface.GetFormInterface",
                       "TIFormInterface.FindComponent", "TIComponentInterface.GetPropValueByName",
                       "TIComponentInterface.Release", "TIFormInterface.Release", "TIModuleInterface.Release"}));
  EXPECT_TRUE(IsOpen("Second.pas"));
  EXPECT_FALSE(IsOpen("Other.pas"));
  EXPECT_EQ(ToolServices->GetCurrentFile(), Main);

  // A form file whose unit is gone opens nothing.
  fs::remove(Dir / "Other.pas");
  EXPECT_EQ(Lookup("active", "Label1", "Caption"), "untouched");
  EXPECT_FALSE(IsOpen("Other.pas"));
}

TEST_F(ProjectLookupTest, AComponentFoundOnlyAfterShowForm) {
  // Another tool adds a button to the form file of the open unit; the designer takes it up
  // when the form is shown.
  Put("Main.dfm", BinaryFormFile("object Form1: TForm1\r\n  object Button2: TButton\r\n    Caption = 'added'\r\n"
                                 "  end\r\nend\r\n"));
  SetInterfaceTrace(&Trace);
  EXPECT_EQ(Lookup("Form1", "Button2", "Caption"), "added");
  SetInterfaceTrace(nullptr);
  EXPECT_EQ(TraceOf(".FindComponent").size(), 2u);
  std::vector<String> shown;
  for (const String& s : Trace)
    if (s.find(".Show") != String::npos) shown.push_back(s);
  EXPECT_EQ(shown, (std::vector<String>{"TIModuleInterface.ShowForm", "TIModuleInterface.ShowSource"}));
  EXPECT_EQ(ToolServices->GetCurrentFile(), Main);
  EXPECT_TRUE(Project()->FindModule(Main)->GetDesigner()->GetVisible());

  EXPECT_EQ(Lookup("Form1", "Nobody", "Caption"), "untouched");
}

// Wherever the IDE raises, the exception reaches the caller after what was obtained so far
// has been released, last obtained first, and the value is as it was.
TEST_F(ProjectLookupTest, AnIDEExceptionReleasesWhatWasObtainedInReverseOrder) {
  const String M = "TIModuleInterface.Release", F = "TIFormInterface.Release", C = "TIComponentInterface.Release";
  struct {
    const char* Failing;
    const char* Component;  // Button2 is not on the form: the lookup shows the form
    std::vector<String> Released;
  } rows[] = {
      {"TIToolServices.GetFormModuleInterface", "Edit1", {}},
      {"TIToolServices.GetFormCount", "Edit1", {}},
      {"TIToolServices.GetFormName", "Edit1", {}},
      {"TIToolServices.OpenFile", "Edit1", {}},
      {"TIToolServices.GetModuleInterface", "Edit1", {}},
      // The current file's module, fetched to bring its source back, goes first.
      {"TIModuleInterface.ShowSource", "Edit1", {M}},
      {"TIModuleInterface.GetFormInterface", "Edit1", {M, M}},
      {"TIFormInterface.FindComponent", "Edit1", {M, F, M}},
      {"TIComponentInterface.GetPropValueByName", "Edit1", {M, C, F, M}},
      {"TIModuleInterface.ShowForm", "Button2", {M, F, M}},
  };
  const String second = (Dir / "Second.pas").string();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Failing);
    ToolServices->CloseFile(second);
    String value = "untouched";
    EXPECT_EQ(ReleasedWhenFailing(row.Failing,
                                  [&] { Expert->GetPropertyValue("Second", row.Component, "Text", value); }),
              row.Released);
    EXPECT_EQ(value, "untouched");
  }
}

// The real project: each of the digit-suffix pair opens its own unit only, and a property of
// a component deep in the main form is read as its file holds it.
TEST_F(FormLookupTest, TheRealProjectOpensOnlyTheUnitOfTheFormAskedFor) {
  const fs::path folder = RealFormFile("logic-problem-solver/U_Logic.dfm").parent_path();
  if (folder.empty()) GTEST_SKIP() << kSharedNote;
  for (const auto& entry : fs::directory_iterator(folder)) {
    fs::copy_file(entry.path(), Dir / entry.path().filename());
    Put(entry.path().stem().string() + ".pas", "unit " + entry.path().stem().string() + ";");
  }
  Project()->AddFolder(Dir.string());
  ASSERT_EQ(ToolServices->GetFormCount(), 6);
  const String scratch = Put("Scratch.pas", "unit Scratch;");
  ASSERT_TRUE(ToolServices->OpenFile(scratch));

  EXPECT_EQ(Lookup("OKBottomDlg", "Label1", "Caption"), "Enter new variable name ");
  EXPECT_TRUE(IsOpen("U_NewVarDlg.pas"));
  EXPECT_FALSE(IsOpen("U_ChgVarName.pas")) << "the form with the digit suffix is another form";
  EXPECT_EQ(Lookup("OKBottomDlg1", "Label1", "Caption"), "Enter new name for variable ");
  EXPECT_TRUE(IsOpen("U_ChgVarName.pas"));

  EXPECT_EQ(Lookup("Form1", "NoChangeLbl", "Font.Style"), "[fsBold]");
  EXPECT_EQ(Lookup("Form1", "RuleSetLbl", "Caption"), "No problem loaded");
  EXPECT_FALSE(IsOpen("U_PrintTables.pas"));
  EXPECT_EQ(Lookup("Logform", "Logform", "Caption"), "untouched") << "a text form file is no match";
  EXPECT_FALSE(IsOpen("U_LogForm.pas"));
  EXPECT_EQ(ToolServices->GetCurrentFile(), scratch);
}

}  // namespace
