// Reading forms from their streams: properties set through the published ones, the form's
// fields and event handlers bound by name, references resolved before Loaded, form resources
// read when a form class is made, the errors of a damaged stream and what such a stream
// leaves behind (nothing); and writing a form back.
#include <gtest/gtest.h>

#include <map>

#include "StreamText.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/Writer.h"
#include "support/IdeFixture.h"
#include "support/MessageLog.h"

namespace {

TMessageLog* gLog = nullptr;
void Log(const std::string& line) {
  if (gLog) gLog->push_back(line);
}

// An item with an integer and a reference.
class TProbeItem : public TCollectionItem {
  DECLARE_CLASS(TProbeItem, TCollectionItem)
 public:
  explicit TProbeItem(TCollection* c) : TCollectionItem(c) {}
  Integer GetSize() const { return FSize; }
  void SetSize(Integer v) { FSize = v; }
  TButton* GetTarget() const { return FTarget; }
  void SetTarget(TButton* v) { FTarget = v; }

 private:
  Integer FSize = 0;
  TButton* FTarget = nullptr;
};

// A component with a property of each kind the reader sets that the stock classes lack: a
// float, a collection, a string list, raw bytes, a read-only count and a reference; it logs
// its Loaded with what its reference holds by then.
class TProbe : public TComponent {
  DECLARE_CLASS(TProbe, TComponent)
 public:
  explicit TProbe(TComponent* AOwner) : TComponent(AOwner) {
    FItems = new TCollection(TProbeItem::StaticClass(), COLLECTION_ITEM(TProbeItem));
    FLines = new TStringList();
  }
  void Destroy() override {
    FItems->Free();
    FLines->Free();
    inherited::Destroy();
  }
  double GetRatio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  TCollection* GetItems() const { return FItems; }
  TStringList* GetLines() const { return FLines; }
  Integer GetCount() const { return 7; }
  TButton* GetBuddy() const { return FBuddy; }
  void SetBuddy(TButton* v) { FBuddy = v; }
  String Data;  // kept as raw bytes, "Data = { ... }"
  TNotifyEvent OnChange;

  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty("Data", MethodOf<&TProbe::ReadData>(this), MethodOf<&TProbe::WriteData>(this), !Data.empty());
  }

 protected:
  void Loaded() override {
    TComponent::Loaded();
    Log("Loaded " + GetName() + " (buddy " + (FBuddy ? FBuddy->GetName() : "none") + ")");
  }

 private:
  void ReadData(TStream* s) {
    Data.resize(static_cast<size_t>(s->GetSize()));
    s->ReadBuffer(Data.data(), static_cast<Integer>(Data.size()));
  }
  void WriteData(TStream* s) { s->WriteBuffer(Data.data(), static_cast<Integer>(Data.size())); }
  double FRatio = 0;
  TCollection* FItems;
  TStringList* FLines;
  TButton* FBuddy = nullptr;
};

const TPropInfo ProbeItemProps[] = {
    PUBLISHED_INT_DEFAULT(TProbeItem, "Size", GetSize, SetSize, 0),
    PUBLISHED_REFERENCE(TProbeItem, "Target", GetTarget, SetTarget),
};
const TPropInfo ProbeProps[] = {
    PUBLISHED_REFERENCE(TProbe, "Buddy", GetBuddy, SetBuddy),
    PUBLISHED_INT_RO(TProbe, "Count", GetCount),
    PUBLISHED_OBJECT(TProbe, "Items", GetItems),
    PUBLISHED_OBJECT(TProbe, "Lines", GetLines),
    PUBLISHED_FLOAT(TProbe, "Ratio", GetRatio, SetRatio),
    PUBLISHED_EVENT(TProbe, "OnChange", OnChange),
};
IMPLEMENT_CLASS_PROPS(TProbeItem, TCollectionItem, ProbeItemProps)
IMPLEMENT_COMPONENT_CLASS_PROPS(TProbe, TComponent, ProbeProps)

// A designed form: its components are published fields, its handlers published methods.
class TProbeForm : public TForm {
  DECLARE_CLASS(TProbeForm, TForm)
 public:
  explicit TProbeForm(TComponent* AOwner, bool fromResource = true) : TForm(AOwner) {
    OnDestroy = MethodOf<&TProbeForm::FormDestroy>(this);
    if (fromResource) CreateFromResource();
  }
  TLabel* Label1 = nullptr;
  TButton* Button1 = nullptr;
  TProbe* Probe1 = nullptr;
  TButton* Button2 = nullptr;
  int Clicks = 0;

  void FormCreate(TObject*) {
    Log("FormCreate " + GetName());
    if (RaiseInCreate) throw EInvalidOperation("no paper");
  }
  static inline bool RaiseInCreate = false;
  void FormDestroy(TObject*) { Log("FormDestroy"); }
  void FormShow(TObject*) { Log("FormShow with " + std::to_string(GetControlCount()) + " controls"); }
  void ButtonClick(TObject* Sender) { Clicks += Sender == Button1 ? 1 : 100; }
  void ProbeChange(TObject*) {}
  void KeyHandler(TObject*, Word&, TShiftState) {}
};

const TFieldEntry ProbeFormFields[] = {
    PUBLISHED_FIELD(TProbeForm, Label1),
    PUBLISHED_FIELD(TProbeForm, Button1),
    PUBLISHED_FIELD(TProbeForm, Probe1),
    PUBLISHED_FIELD(TProbeForm, Button2),
};
const TMethodEntry ProbeFormMethods[] = {
    PUBLISHED_METHOD(TProbeForm, FormCreate),
    PUBLISHED_METHOD(TProbeForm, FormShow),
    PUBLISHED_METHOD(TProbeForm, ButtonClick),
    PUBLISHED_METHOD(TProbeForm, ProbeChange),
    PUBLISHED_METHOD(TProbeForm, KeyHandler),
};
IMPLEMENT_FORM_CLASS(TProbeForm, TForm, ProbeFormFields, ProbeFormMethods)

// A form that inherits the probe form's design and adds to it.
class TDerivedForm : public TProbeForm {
  DECLARE_CLASS(TDerivedForm, TProbeForm)
 public:
  explicit TDerivedForm(TComponent* AOwner) : TProbeForm(AOwner, false) { CreateFromResource(); }
  TEdit* Edit1 = nullptr;
};
const TFieldEntry DerivedFormFields[] = {PUBLISHED_FIELD(TDerivedForm, Edit1)};
IMPLEMENT_FORM_CLASS(TDerivedForm, TProbeForm, DerivedFormFields, nullptr)

// The probe form's text, a piece per object, so that the text written back can be put
// together from the same pieces.
const String kProbeFormHead =
    "object ProbeForm: TProbeForm\r\n"
    "  Left = 442\r\n"
    "  Top = 186\r\n"
    "  Caption = 'Probe'\r\n"
    "  ClientHeight = 151\r\n"
    "  ClientWidth = 475\r\n"
    "  Font.Charset = DEFAULT_CHARSET\r\n"
    "  Font.Color = clWindowText\r\n"
    "  Font.Height = -11\r\n"
    "  Font.Name = 'MS Sans Serif'\r\n"
    "  Font.Style = []\r\n"
    "  OldCreateOrder = False\r\n"
    "  OnCreate = FormCreate\r\n"
    "  PixelsPerInch = 96\r\n"
    "  TextHeight = 13\r\n";
String Label1Text(int width) {
  return "  object Label1: TLabel\r\n"
         "    Left = 24\r\n"
         "    Top = 48\r\n"
         "    Width = " + std::to_string(width) + "\r\n"
         "    Height = 13\r\n"
         "    Cursor = crHandPoint\r\n"
         "    Alignment = taCenter\r\n"
         "    Caption = 'Wave &Key'\r\n"
         "    Font.Charset = DEFAULT_CHARSET\r\n"
         "    Font.Color = clBlue\r\n"
         "    Font.Height = -11\r\n"
         "    Font.Name = 'MS Sans Serif'\r\n"
         "    Font.Style = [fsBold, fsUnderline]\r\n"
         "  end\r\n";
}
const String kButton1Text =
    "  object Button1: TButton\r\n"
    "    Left = 376\r\n"
    "    Top = 32\r\n"
    "    Width = 75\r\n"
    "    Height = 25\r\n"
    "    Caption = 'OK'\r\n"
    "    Default = True\r\n"
    "    ModalResult = 1\r\n"
    "    TabOrder = 0\r\n"
    "    OnClick = ButtonClick\r\n"
    "  end\r\n";
const String kProbe1Text =
    "  object Probe1: TProbe\r\n"
    "    Buddy = Button2\r\n"
    "    Items = <\r\n"
    "      item\r\n"
    "        Size = 3\r\n"
    "        Target = Button1\r\n"
    "      end\r\n"
    "      item\r\n"
    "        Size = -40000\r\n"
    "      end>\r\n"
    "    Lines.Strings = (\r\n"
    "      'one'\r\n"
    "      'two')\r\n"
    "    Ratio = 0.25\r\n"
    "    OnChange = ProbeChange\r\n"
    "    Data = {\r\n"
    "      00FF10}\r\n"
    "  end\r\n";
const String kButton2Text =
    "  object Button2: TButton\r\n"
    "    Left = 376\r\n"
    "    Top = 64\r\n"
    "    Width = 75\r\n"
    "    Height = 25\r\n"
    "    Caption = 'Cancel'\r\n"
    "    TabOrder = 1\r\n"
    "  end\r\n";
const String kProbeFormText = kProbeFormHead + Label1Text(57) + kButton1Text + kProbe1Text + kButton2Text + "end\r\n";

// The form resources the finder hands out, by class.
class FormReaderTest : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    gLog = &FLog;
    Resources[TProbeForm::StaticClass()] = Convert(ObjectTextToResource, kProbeFormText);
    FSavedFinder = SetFormResourceFinder([this](const TClass* cls, String& data) {
      auto it = Resources.find(cls);
      if (it == Resources.end()) return false;
      data = it->second;
      return true;
    });
  }
  void TearDown() override {
    SetFormResourceFinder(FSavedFinder);
    gLog = nullptr;
    TIdeFixture::TearDown();
  }
  std::map<const TClass*, String> Resources;
  TMessageLog FLog;

 private:
  TFormResourceFinder FSavedFinder;
};

TEST_F(FormReaderTest, AFormClassReadsItsResourceIntoItsPublishedPropertiesFieldsAndEvents) {
  auto* form = new TProbeForm(nullptr);
  EXPECT_EQ(form->GetName(), "ProbeForm");
  EXPECT_EQ(form->GetCaption(), "Probe");
  EXPECT_EQ(form->GetLeft(), 442);
  EXPECT_EQ(form->GetTop(), 186);
  EXPECT_EQ(form->GetClientWidth(), 475) << "client size applied once loaded, inside the frame";
  EXPECT_EQ(form->GetClientHeight(), 151);
  EXPECT_EQ(form->GetWidth(), 475 + 8) << "a sizeable frame is 4 pixels a side";
  EXPECT_EQ(form->GetHeight(), 151 + 27) << "4 pixels a side and the 19-pixel caption";
  EXPECT_FALSE(form->GetComponentState().Contains(csLoading));

  ASSERT_NE(form->Label1, nullptr);
  EXPECT_EQ(form->Label1, form->FindComponent("Label1"));
  EXPECT_EQ(form->Label1->GetParent(), form);
  EXPECT_EQ(form->Label1->GetAlignment(), taCenter);
  EXPECT_EQ(form->Label1->GetCursor(), crHandPoint);
  EXPECT_EQ(form->Label1->GetFont()->GetColor(), clBlue);
  EXPECT_EQ(form->Label1->GetFont()->GetStyle(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(form->Label1->GetWidth(), EstimateTextExtent(form->Label1->GetFont(), "Wave Key").X)
      << "an auto-sized label takes its caption's size once loaded, not the stored width";

  ASSERT_NE(form->Button1, nullptr);
  EXPECT_TRUE(form->Button1->GetDefault());
  EXPECT_EQ(form->Button1->GetModalResult(), mrOk);
  EXPECT_EQ(form->Button1->TabOrder, 0);
  form->Button1->Click();
  EXPECT_EQ(form->Clicks, 1) << "OnClick bound to the form's ButtonClick";

  TProbe* probe = form->Probe1;
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->GetBuddy(), form->Button2) << "a reference to a component read later";
  EXPECT_DOUBLE_EQ(probe->GetRatio(), 0.25);
  EXPECT_EQ(probe->Data, String("\x00\xFF\x10", 3));
  EXPECT_EQ(probe->GetLines()->GetText(), "one\r\ntwo\r\n");
  ASSERT_EQ(probe->GetItems()->GetCount(), 2);
  auto* item0 = static_cast<TProbeItem*>(probe->GetItems()->GetItem(0));
  EXPECT_EQ(item0->GetSize(), 3);
  EXPECT_EQ(item0->GetTarget(), form->Button1);
  EXPECT_EQ(static_cast<TProbeItem*>(probe->GetItems()->GetItem(1))->GetSize(), -40000);
  EXPECT_EQ(probe->OnChange, MethodOf<&TProbeForm::ProbeChange>(form));

  // References are resolved before any Loaded, and OnCreate follows the whole read.
  EXPECT_EQ(FLog, (TMessageLog{"Loaded Probe1 (buddy Button2)", "FormCreate ProbeForm"}));
  form->Free();
  EXPECT_EQ(FLog.back(), "FormDestroy");
}

TEST_F(FormReaderTest, AnInheritedFormReadsItsAncestorsResourceFirstAndThenItsOwn) {
  Resources[TDerivedForm::StaticClass()] = TextToBinary(
      "inherited Derived: TDerivedForm\r\n"
      "  Caption = 'Derived'\r\n"
      "  inherited Button1: TButton\r\n"
      "    Caption = 'Go'\r\n"
      "  end\r\n"
      "  object Edit1: TEdit\r\n"
      "    Text = 'typed'\r\n"
      "  end\r\n"
      "end\r\n");
  auto* form = new TDerivedForm(nullptr);
  EXPECT_EQ(form->GetName(), "Derived");
  EXPECT_EQ(form->GetCaption(), "Derived");
  EXPECT_EQ(form->GetComponentCount(), 5);
  EXPECT_EQ(form->Button1->GetCaption(), "Go");
  EXPECT_EQ(form->Button1->GetModalResult(), mrOk) << "what the ancestor set stays";
  ASSERT_NE(form->Edit1, nullptr);
  EXPECT_EQ(form->Edit1->GetText(), "typed");
  EXPECT_EQ(FLog, (TMessageLog{"Loaded Probe1 (buddy Button2)", "FormCreate Derived"}))
      << "Loaded once, after both streams";
  form->Free();
}

// A form stored visible shows in its Loaded, with all its controls there, before OnCreate.
TEST_F(FormReaderTest, AFormStoredVisibleIsShownOnceEverythingIsRead) {
  String text = kProbeFormText;
  text.replace(text.find("  OnCreate"), 0, "  Visible = True\r\n  OnShow = FormShow\r\n");
  Resources[TProbeForm::StaticClass()] = TextToBinary(text);
  auto* form = new TProbeForm(nullptr);
  EXPECT_TRUE(form->GetVisible());
  EXPECT_TRUE(IsWindowVisible(form->GetHandle()));
  EXPECT_EQ(FLog, (TMessageLog{"FormShow with 3 controls", "Loaded Probe1 (buddy Button2)", "FormCreate ProbeForm"}));
  form->Free();
}

// A second form of a class takes a name of its own, and a reference names another form's
// component by that form's name.
TEST_F(FormReaderTest, FormsGetUniqueNamesAndReferencesReachOtherForms) {
  auto* first = new TProbeForm(nullptr);
  auto* second = new TProbeForm(nullptr);
  EXPECT_EQ(first->GetName(), "ProbeForm");
  EXPECT_EQ(second->GetName(), "ProbeForm_1");

  const TClassRegistration probes{TProbe::StaticClass()};  // a plain form has no field to name it
  auto* form = new TForm(nullptr);
  auto* probe = new TProbe(form);
  probe->SetName("Remote");
  TAutoFree<TMemoryStream> stream(new TMemoryStream());
  stream->SetDataString(TextToBinary(
      "object Host: TForm\r\n"
      "  object Remote: TProbe\r\n"
      "    Buddy = ProbeForm_1.Button2\r\n"
      "  end\r\n"
      "end\r\n"));
  // Into a root that owns a component of that name already: the stream's is a new one.
  EXPECT_EQ(ErrorOf([&] { stream->ReadComponent(form); }),
            "EReadError: Error reading Host.Remote: A component named Remote already exists");
  EXPECT_EQ(form->GetComponentCount(), 1);
  probe->SetName("Local");
  stream->SetPosition(0);
  stream->ReadComponent(form);
  auto* remote = static_cast<TProbe*>(form->FindComponent("Remote"));
  ASSERT_NE(remote, nullptr);
  EXPECT_EQ(remote->GetBuddy(), second->Button2);
  form->Free();
  first->Free();
  second->Free();
}

// Each damaged stream raises with the form, the component and the property in its message,
// and the read leaves the form with nothing it created.
TEST_F(FormReaderTest, ADamagedStreamNamesWhereItFailedAndLeavesNothingBehind) {
  auto text = [](const std::string& inside) { return "object ProbeForm: TProbeForm\r\n" + inside + "end\r\n"; };
  const std::string button1 = "  object Button1: TButton\r\n    Caption = 'OK'\r\n  end\r\n";
  struct {
    std::string Text;
    const char* Error;
  } rows[] = {
      {text("  object Widget1: TWidget\r\n  end\r\n"), "EClassNotFound: Error reading ProbeForm.Widget1: Class TWidget not found"},
      {text("  object Button1: TButton\r\n    Captoin = 'x'\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Button1.Captoin: Property Captoin does not exist"},
      {text("  object Button1: TButton\r\n    Caption = 12\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Button1.Caption: Invalid property value"},
      {text("  object Label1: TLabel\r\n    Alignment = taMiddle\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Label1.Alignment: Invalid property value"},
      {text("  object Label1: TLabel\r\n    Font.Color = clPink\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Label1.Font.Color: Invalid property value"},
      {text("  object Label1: TLabel\r\n    Font.Style = [fsBold, fsWide]\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Label1.Font.Style: Invalid property value"},
      {text("  object Label1: TLabel\r\n    Caption.Text = 'x'\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Label1.Caption.Text: Invalid property path"},
      {text("  object Label1: TLabel\r\n    Left = 3000000000\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Label1.Left: Invalid property value"},
      {text("  object Button1: TButton\r\n    OnClick = ButtonClicked\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Button1.OnClick: Invalid property value"},
      {text("  object Button1: TButton\r\n    OnClick = KeyHandler\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Button1.OnClick: Invalid property value"},  // another signature
      {text(button1 + "  object Probe1: TProbe\r\n    Buddy.Caption = 'x'\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Probe1.Buddy.Caption: Invalid property path"},
      {text(button1 + "  object Probe1: TProbe\r\n    Count = 8\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Probe1.Count: Property is read-only"},
      {text("  object Probe1: TProbe\r\n    Items = <\r\n      item\r\n        Sise = 1\r\n      end>\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Probe1.Items[0].Sise: Property Sise does not exist"},
      {text("  object Label1: TLabel\r\n  end\r\n  object Probe1: TProbe\r\n    Buddy = Label1\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Probe1.Buddy: Invalid property value"},  // not a button
      {text("  object Button1: TLabel\r\n  end\r\n"), "EReadError: Error reading ProbeForm.Button1: Field Button1 is not a TButton"},
      {text(button1 + button1), "EReadError: Error reading ProbeForm.Button1: A component named Button1 already exists"},
      {text("  inherited Button9: TButton\r\n  end\r\n"),
       "EReadError: Error reading ProbeForm.Button9: Ancestor for 'Button9' not found"},
  };
  auto* form = new TProbeForm(nullptr, false);
  const Integer forms = Screen->GetFormCount();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    TAutoFree<TMemoryStream> stream(new TMemoryStream());
    stream->SetDataString(TextToBinary(row.Text));
    EXPECT_EQ(ErrorOf([&] { stream->ReadComponent(form); }), row.Error);
    EXPECT_EQ(form->GetComponentCount(), 0);
    EXPECT_EQ(form->GetControlCount(), 0);
    EXPECT_EQ(form->Button1, nullptr) << "no field points at a freed component";
    EXPECT_FALSE(form->GetComponentState().Contains(csLoading));
  }

  // Cut anywhere, the stream fails without a trace; cut inside Button1's caption it says so.
  const String whole = Convert(ObjectTextToBinary, kProbeFormText);
  const size_t inCaption = whole.find("\x02OK");
  ASSERT_NE(inCaption, String::npos);
  for (size_t size = 0; size < whole.size(); ++size) {
    TAutoFree<TMemoryStream> stream(new TMemoryStream());
    stream->SetDataString(whole.substr(0, size));
    const std::string error = ErrorOf([&] { stream->ReadComponent(form); });
    EXPECT_NE(error, "") << size;
    if (size == inCaption + 2) {
      EXPECT_EQ(error, "EReadError: Error reading ProbeForm.Button1.Caption: Stream read error");
    }
    EXPECT_EQ(form->GetComponentCount(), 0) << size;
  }
  EXPECT_EQ(Screen->GetFormCount(), forms);
  form->Free();
}

TEST_F(FormReaderTest, AFormWhoseResourceFailsIsNotMadeAtAll) {
  const Integer forms = Screen->GetFormCount();
  Resources[TProbeForm::StaticClass()] = TextToBinary("object ProbeForm: TProbeForm\r\n  object Button1: TButton\r\n    Kind = bkOK\r\n  end\r\nend\r\n");
  EXPECT_EQ(ErrorOf([] { new TProbeForm(nullptr); }),
            "EReadError: Error reading ProbeForm.Button1.Kind: Property Kind does not exist");
  EXPECT_EQ(Screen->GetFormCount(), forms);
  EXPECT_EQ(FLog, (TMessageLog{"FormDestroy"})) << "destroyed the way a form is, once";

  // A form whose stream holds a form of its own class stops at a depth, not at the stack's end.
  const TClassRegistration probeForms{TProbeForm::StaticClass()};
  Resources[TProbeForm::StaticClass()] = TextToBinary("object ProbeForm: TProbeForm\r\n  object Inner: TProbeForm\r\n  end\r\nend\r\n");
  const std::string error = ErrorOf([] { new TProbeForm(nullptr); });
  EXPECT_EQ(error.substr(0, 48), "EReadError: Error reading ProbeForm.Inner: Error");
  EXPECT_EQ(error.substr(error.size() - 21), "Invalid stream format");
  EXPECT_EQ(Screen->GetFormCount(), forms);

  Resources.clear();
  EXPECT_EQ(ErrorOf([] { new TProbeForm(nullptr); }), "EResNotFound: Resource TProbeForm not found");
  EXPECT_EQ(Screen->GetFormCount(), forms);
}

// As in the original, what OnCreate raises is the application's to report; the form is made.
TEST_F(FormReaderTest, AnExceptionInOnCreateIsReportedAndTheFormLives) {
  TProbeForm::RaiseInCreate = true;
  TProbeForm* form = nullptr;
  EXPECT_EQ(ErrorOf([&] { form = new TProbeForm(nullptr); }), "");
  TProbeForm::RaiseInCreate = false;
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(Application->GetLastExceptionMessage(), "no paper");
  EXPECT_NE(form->Button1, nullptr);
  form->Free();
}

// A stream read without a component to read into makes one of the class it names, through
// the class registry.
TEST_F(FormReaderTest, AStreamMakesTheRootItNamesThroughTheClassRegistry) {
  RegisterClass(TProbe::StaticClass());
  TAutoFree<TMemoryStream> stream(new TMemoryStream());
  stream->SetDataString(TextToBinary("object Free: TProbe\r\n  Ratio = 1.5\r\nend\r\n"));
  TComponent* made = stream->ReadComponent(nullptr);
  ASSERT_NE(As<TProbe>(made), nullptr);
  EXPECT_EQ(made->GetName(), "Free");
  EXPECT_DOUBLE_EQ(static_cast<TProbe*>(made)->GetRatio(), 1.5);
  made->Free();

  stream->SetDataString(TextToBinary("object Free: TProbe\r\n  Ratio = 'x'\r\nend\r\n"));
  EXPECT_EQ(ErrorOf([&] { stream->ReadComponent(nullptr); }), "EReadError: Error reading Free.Ratio: Invalid property value");
  UnRegisterClass(TProbe::StaticClass());
  stream->SetPosition(0);
  EXPECT_EQ(ErrorOf([&] { stream->ReadComponent(nullptr); }), "EClassNotFound: Error reading Free: Class TProbe not found");

  EXPECT_EQ(GetClass("tbutton"), TButton::StaticClass()) << "the stock classes are registered";
  static const TClass otherButton{"TButton", &TComponent::ClassInfo, nullptr, nullptr, 0};
  EXPECT_EQ(ErrorOf([] { RegisterClass(TButton::StaticClass()); }), "") << "again is nothing";
  EXPECT_EQ(ErrorOf([] { RegisterClass(&otherButton); }), "EFilerError: A class named TButton already exists");
  EXPECT_EQ(ErrorOf([] { FindClass("TNothing"); }), "EClassNotFound: Class TNothing not found");
}

// Writing a form keeps what differs from the defaults, in the published order, with defined
// properties after the published ones and the children in control order.
TEST_F(FormReaderTest, AFormWritesBackAsItWasDesigned) {
  auto* form = new TProbeForm(nullptr);
  TAutoFree<TMemoryStream> stream(new TMemoryStream());
  stream->WriteComponent(form);
  form->Free();
  // The label has its caption's width ("Wave Key" in bold 8-point MS Sans Serif is 59 pixels, as
  // Windows measures it); the probe, without a parent, follows the controls.
  EXPECT_EQ(BinaryToText(stream->GetDataString()),
            kProbeFormHead + Label1Text(59) + kButton1Text + kButton2Text + kProbe1Text + "end\r\n");
}

}  // namespace
