// The forms of the open project as tools meet them: read from their form files when their
// units open, found by form name, their components answering with the values the files hold,
// read again when shown after the file changed; and projects made from a folder.
#include "IDEHostFixture.h"

namespace {

const char* const kMainForm =
    "object Form1: TForm1\r\n"
    "  Left = 192\r\n"
    "  Top = 107\r\n"
    "  Width = 320\r\n"
    "  Height = 240\r\n"
    "  Caption = 'Main form'\r\n"
    "  Font.Style = [fsBold]\r\n"
    "  OnCreate = FormCreate\r\n"
    "  object Panel1: TPanel\r\n"
    "    Align = alTop\r\n"
    "    object Label1: TLabel\r\n"
    "      Caption = 'Caf'#233' '#8364\r\n"
    "      Visible = False\r\n"
    "      FocusControl = Edit1\r\n"
    "      Ratio = 1.5\r\n"
    "      Scale = 2.5s\r\n"
    "      Price = 15000c\r\n"
    "      Stamp = 36526.5d\r\n"
    "      Big = 5000000000\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object Memo1: TMemo\r\n"
    "    Lines.Strings = (\r\n"
    "      'one'\r\n"
    "      'two')\r\n"
    "    Picture.Data = {\r\n"
    "      0102FF}\r\n"
    "  end\r\n"
    "  object StatusBar1: TStatusBar\r\n"
    "    Panels = <\r\n"
    "      item\r\n"
    "        Width = 50\r\n"
    "      end>\r\n"
    "  end\r\n"
    "  inline Frame11: TFrame1\r\n"
    "    object Button1: TButton\r\n"
    "      Caption = 'Inside'\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

class FormDesignerTest : public TIDEHostFixture {
 protected:
  // A unit of the project with its form file, opened in the editor.
  String OpenUnitWithForm(const String& formData, const String& name = "Main") {
    String unit = WriteFile(name + ".pas", "unit " + name + ";");
    FForm = WriteFile(name + ".dfm", formData);
    Project()->AddUnit(unit, FForm);
    EXPECT_TRUE(ToolServices->OpenFile(unit));
    return unit;
  }
  TIFormInterface* FormOf(const String& formName) {
    TInterfaceGuard<TIModuleInterface> module(ToolServices->GetFormModuleInterface(formName));
    return module ? module->GetFormInterface() : nullptr;
  }
  String FForm;
};

TEST_F(FormDesignerTest, OpeningAUnitReadsItsFormAndTheFormFindsTheModule) {
  String unit = OpenUnitWithForm(kMainForm);
  TIDEModule* m = Project()->FindModule(unit);
  ASSERT_NE(m->GetDesigner(), nullptr);
  EXPECT_FALSE(m->GetDesigner()->GetVisible());
  EXPECT_EQ(ToolServices->GetCurrentFile(), unit);

  TInterfaceGuard<TIModuleInterface> module(ToolServices->GetFormModuleInterface("form1"));
  ASSERT_TRUE(module);
  TInterfaceGuard<TIModuleInterface> byUnit(ToolServices->GetModuleInterface(unit));
  TInterfaceGuard<TIEditorInterface> editor(module->GetEditorInterface());
  EXPECT_EQ(editor->FileName(), unit);
  for (const char* other : {"Form2", "", "TForm1", "Panel1"}) EXPECT_EQ(ToolServices->GetFormModuleInterface(other), nullptr) << other;

  // Shown where and as large as it was designed; the designer is not an editor, so the
  // unit stays the current file.
  EXPECT_TRUE(module->ShowForm());
  TFormDesigner* designer = m->GetDesigner();
  EXPECT_TRUE(designer->GetVisible());
  EXPECT_EQ(designer->GetCaption(), "Main form");
  EXPECT_EQ(designer->GetBoundsRect(), (TRect{192, 107, 512, 347}));
  EXPECT_EQ(ToolServices->GetCurrentFile(), unit);
}

// A string gives its characters (8-bit, '?' for what the code page lacks); every other value
// the text a text form file holds for it. The binary file the IDE writes answers the same.
TEST_F(FormDesignerTest, ComponentsAnswerWithTheValuesTheirFormFileHolds) {
  struct {
    const char* Component;
    const char* Property;
    const char* Value;  // null: not found, the value left as it was
  } rows[] = {
      {"Label1", "Caption", "Caf\xe9 ?"},
      {"form1", "caption", "Main form"},
      {"Form1", "Left", "192"},
      {"Label1", "Big", "5000000000"},
      {"Form1", "Font.Style", "[fsBold]"},
      {"Label1", "Visible", "False"},
      {"Panel1", "Align", "alTop"},
      {"Label1", "FocusControl", "Edit1"},
      {"Form1", "OnCreate", "FormCreate"},
      {"Label1", "Ratio", "1.5"},
      {"Label1", "Scale", "2.5s"},
      {"Label1", "Price", "15000c"},
      {"Label1", "Stamp", "36526.5d"},
      {"Memo1", "Lines.Strings", "(\r\n  'one'\r\n  'two')"},
      {"Memo1", "Picture.Data", "{\r\n  0102FF}"},
      {"StatusBar1", "Panels", "<\r\n  item\r\n    Width = 50\r\n  end>"},
      {"Label1", "Name", "Label1"},
      {"Frame11", "Name", "Frame11"},
      {"Label1", "Color", nullptr},  // a default: the file does not store it
      {"Memo1", "Lines", nullptr},
      {"Form1", "Font", nullptr},
  };
  for (const String& data : {String(kMainForm), BinaryFormFile(kMainForm)}) {
    SCOPED_TRACE(data[0] == 'o' ? "text" : "binary");
    String unit = OpenUnitWithForm(data);
    TInterfaceGuard<TIFormInterface> form(FormOf("Form1"));
    ASSERT_TRUE(form);
    for (const auto& row : rows) {
      SCOPED_TRACE(String(row.Component) + "." + row.Property);
      TInterfaceGuard<TIComponentInterface> c(form->FindComponent(row.Component));
      ASSERT_TRUE(c);
      String value = "unchanged";
      EXPECT_EQ(c->GetPropValueByName(row.Property, value), row.Value != nullptr);
      EXPECT_EQ(value, row.Value ? row.Value : "unchanged");
    }
    TInterfaceGuard<TIComponentInterface> label(form->FindComponent("LABEL1"));
    EXPECT_EQ(label->GetComponentType(), "TLabel");
    TInterfaceGuard<TIComponentInterface> self(form->GetFormComponent());
    EXPECT_EQ(self->GetComponentType(), "TForm1");
    // A frame's components are its own, not the form's.
    for (const char* missing : {"Button1", "Edit1", ""}) EXPECT_EQ(form->FindComponent(missing), nullptr) << missing;
    ToolServices->CloseFile(unit);
  }
}

TEST_F(FormDesignerTest, AFormFileThatCannotBeReadIsReportedAndTheUnitOpensWithoutIt) {
  struct {
    const char* Name;
    String Data;  // empty: no file at all
    const char* Message;
  } rows[] = {
      {"damaged text", "object Form1: TForm1\r\n  Caption = 'open\r\nend\r\n", "Invalid string constant on line 2"},
      {"not a form", "unit Main;\r\n", "Invalid stream format"},
      {"cut short", BinaryFormFile(kMainForm).substr(0, 60), "Stream read error"},
      {"missing", "", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    String unit = WriteFile(String(row.Name) + ".pas", "unit X;");
    String form = (FDir / (String(row.Name) + ".dfm")).string();
    if (!row.Data.empty()) WriteFile(String(row.Name) + ".dfm", row.Data);
    Project()->AddUnit(unit, form);
    ASSERT_TRUE(ToolServices->OpenFile(unit));
    EXPECT_EQ(ToolServices->GetCurrentFile(), unit);
    if (row.Message)
      EXPECT_EQ(Application->GetLastExceptionMessage(), row.Message);
    else
      EXPECT_EQ(Application->GetLastExceptionMessage().rfind("Cannot open file \"" + form + "\"", 0), 0u);
    TInterfaceGuard<TIModuleInterface> module(ToolServices->GetModuleInterface(unit));
    EXPECT_EQ(module->GetFormInterface(), nullptr);
    EXPECT_FALSE(module->ShowForm());
  }
}

// The designer holds the form as it read it; brought to the front after another tool
// rewrote the file, it reads the file again, and objects for the components it had answer
// empty from then on.
TEST_F(FormDesignerTest, ShowFormTakesUpAFormFileChangedOnDisk) {
  const String before = "object Form1: TForm1\r\n  object Label1: TLabel\r\n    Caption = 'old'\r\n  end\r\nend\r\n";
  const String after = "object Form1: TForm1\r\n  object Label1: TLabel\r\n    Caption = 'new'\r\n  end\r\n"
                       "  object Button2: TButton\r\n  end\r\nend\r\n";
  String unit = OpenUnitWithForm(before);
  TInterfaceGuard<TIModuleInterface> module(ToolServices->GetModuleInterface(unit));
  TInterfaceGuard<TIFormInterface> form(module->GetFormInterface());
  TInterfaceGuard<TIComponentInterface> label(form->FindComponent("Label1"));
  String value;
  EXPECT_TRUE(module->ShowForm());  // unchanged: the components stay
  EXPECT_TRUE(label->GetPropValueByName("Caption", value));
  EXPECT_EQ(value, "old");

  WriteFile("Main.dfm", after);
  EXPECT_EQ(form->FindComponent("Button2"), nullptr) << "read only when shown";
  EXPECT_TRUE(module->ShowForm());
  TInterfaceGuard<TIComponentInterface> button(form->FindComponent("Button2"));
  EXPECT_TRUE(button);
  value = "kept";
  EXPECT_FALSE(label->GetPropValueByName("Caption", value));
  EXPECT_EQ(value, "kept");
  EXPECT_EQ(label->GetComponentType(), "");
  TInterfaceGuard<TIComponentInterface> newLabel(form->FindComponent("Label1"));
  EXPECT_TRUE(newLabel->GetPropValueByName("Caption", value));
  EXPECT_EQ(value, "new");

  // A file damaged meanwhile is reported; the form stays as it was.
  WriteFile("Main.dfm", "object Form1: TForm1\r\n");
  ASSERT_EQ(Application->GetLastExceptionMessage(), "");
  EXPECT_TRUE(module->ShowForm());
  EXPECT_FALSE(Application->GetLastExceptionMessage().empty());
  EXPECT_TRUE(newLabel->GetPropValueByName("Caption", value));
}

TEST_F(FormDesignerTest, ComponentObjectsOutliveTheirFormSafely) {
  String unit = OpenUnitWithForm(kMainForm);
  TInterfaceGuard<TIModuleInterface> module(ToolServices->GetModuleInterface(unit));
  TInterfaceGuard<TIFormInterface> form(module->GetFormInterface());
  TInterfaceGuard<TIComponentInterface> label(form->FindComponent("Label1"));
  ToolServices->CloseFile(unit);
  String value = "kept";
  EXPECT_FALSE(label->GetPropValueByName("Caption", value));
  EXPECT_EQ(value, "kept");
  EXPECT_EQ(form->FindComponent("Label1"), nullptr);
  EXPECT_EQ(form->GetFormComponent(), nullptr);
  EXPECT_EQ(module->GetFormInterface(), nullptr);
}

TEST_F(FormDesignerTest, AProjectFromAFolderHasItsUnitsWithTheirFormFiles) {
  WriteFile("b.pas", "unit b;");
  WriteFile("A.pas", "unit A;");
  WriteFile("a.DFM", kMainForm);  // the unit's form, whatever the case of its name
  WriteFile("Leftover.dfm", kMainForm);  // no unit: not part of the project
  WriteFile("notes.txt", "");
  std::filesystem::create_directories(FDir / "Sub.pas");
  EXPECT_EQ(Project()->AddFolder(FDir.string()), 2);
  EXPECT_EQ(ToolServices->GetUnitCount(), 2);
  EXPECT_EQ(ToolServices->GetUnitName(0), (FDir / "A.pas").string());
  EXPECT_EQ(ToolServices->GetUnitName(1), (FDir / "b.pas").string());
  EXPECT_EQ(ToolServices->GetFormCount(), 1);
  EXPECT_EQ(ToolServices->GetFormName(0), (FDir / "a.DFM").string());

  ASSERT_TRUE(ToolServices->OpenFile(ToolServices->GetUnitName(0)));
  TInterfaceGuard<TIFormInterface> form(FormOf("Form1"));
  EXPECT_TRUE(form);

  EXPECT_THROW(Project()->AddFolder((FDir / "missing").string()), EInOutError);
  EXPECT_EQ(ToolServices->GetUnitCount(), 2);
}

}  // namespace
