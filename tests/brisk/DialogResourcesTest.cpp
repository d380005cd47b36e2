// The dialogs as their form resources hold them: every component's class, place, size, tab
// order and stored values as designed, and the forms built from them.
#include <algorithm>

#include "DialogFixture.h"
#include "support/FormTree.h"

namespace {

using TProps = std::vector<std::pair<const char*, const char*>>;

struct TDesignRow {
  const char* Resource;
  const char* Component;  // "" for the form itself (its client size in Width and Height)
  const char* Class;
  int Left, Top, Width, Height;
  TProps Stored;  // further values the resource holds, as text
};

const TProps kFormLooks = {{"BorderStyle", "bsDialog"},    {"Color", "clBtnFace"},        {"Font.Name", "MS Sans Serif"},
                           {"Font.Height", "-11"},         {"Font.Charset", "DEFAULT_CHARSET"}, {"Font.Color", "clWindowText"},
                           {"OldCreateOrder", "False"},    {"PixelsPerInch", "96"},       {"TextHeight", "13"}};
const TProps kBoxLooks = {{"Readonly", "False"},          {"EditFont.Name", "MS Sans Serif"}, {"EditFont.Height", "-11"},
                          {"EditFont.Charset", "DEFAULT_CHARSET"}, {"EditFont.Color", "clWindowText"}, {"Glyph.Data", "<skipped>"}};
const TProps kLinkLooks = {{"Cursor", "crHandPoint"}, {"Alignment", "taCenter"}, {"AutoSize", "False"},
                           {"Layout", "tlCenter"},    {"ColorOnEnter", "clBlue"}};

TProps Plus(TProps a, const TProps& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const TDesignRow kDesign[] = {
    {"TFRMCONFIGURATION", "", "TfrmConfiguration", 442, 186, 475, 151,
     Plus(kFormLooks, {{"Caption", "frmConfiguration"}, {"OnCreate", "FormCreate"}, {"OnShow", "FormShow"}})},
    {"TFRMCONFIGURATION", "lblWaveKey", "TLabel", 24, 48, 57, 13, {{"Caption", "lblWaveKey"}}},
    {"TFRMCONFIGURATION", "lblWaveEnter", "TLabel", 24, 80, 64, 13, {{"Caption", "lblWaveEnter"}}},
    {"TFRMCONFIGURATION", "lblWaveBackspace", "TLabel", 24, 112, 93, 13, {{"Caption", "lblWaveBackspace"}}},
    {"TFRMCONFIGURATION", "chkEnable", "TCheckBox", 24, 16, 281, 17, {{"TabOrder", "0"}, {"Caption", "chkEnable"}}},
    {"TFRMCONFIGURATION", "zkflnboxWaveEnter", "TZKFilenameBox", 136, 80, 209, 20,
     Plus(kBoxLooks, {{"TabOrder", "1"}, {"DialogOptions", "[ofHideReadOnly, ofEnableSizing]"}})},
    {"TFRMCONFIGURATION", "zkflnboxWaveBackspace", "TZKFilenameBox", 136, 112, 209, 20,
     Plus(kBoxLooks, {{"TabOrder", "2"}, {"DialogOptions", "[ofHideReadOnly, ofEnableSizing]"}})},
    {"TFRMCONFIGURATION", "chkDefault", "TCheckBox", 352, 0, 289, 17,
     {{"TabOrder", "3"}, {"Visible", "False"}, {"Caption", "chkDefault"}}},
    {"TFRMCONFIGURATION", "zkflnboxWaveKey", "TZKFilenameBox", 136, 48, 209, 20,
     Plus(kBoxLooks, {{"TabOrder", "4"}, {"DialogOptions", "[ofHideReadOnly, ofPathMustExist, ofFileMustExist, ofEnableSizing]"}})},
    {"TFRMCONFIGURATION", "zkbtnOk", "TZKBitBtn", 376, 32, 75, 25, {{"TabOrder", "5"}, {"Kind", "bkOK"}, {"OnClick", "btnOkClick"}}},
    {"TFRMCONFIGURATION", "zkbtnCancel", "TZKBitBtn", 376, 64, 75, 25, {{"TabOrder", "6"}, {"Kind", "bkCancel"}}},
    {"TFRMCONFIGURATION", "zkbtnAbout", "TZKBitBtn", 376, 104, 75, 25,
     {{"TabOrder", "7"}, {"Caption", "about"}, {"NumGlyphs", "2"}, {"OnClick", "zkbtnAboutClick"}}},
    {"TFRMABOUT", "", "TfrmAbout", 522, 227, 433, 146, Plus(kFormLooks, {{"Caption", "frmAbout"}, {"OnCreate", "FormCreate"}})},
    {"TFRMABOUT", "ZKScrollingLabel", "TZKScrollingLabel", 13, 112, 292, 13,
     {{"Autosize", "False"}, {"ScrollDirection", "sdRightToLeft"}, {"Text", "www.example.org"}}},
    {"TFRMABOUT", "zkhotlnkAuthor", "TZKHotLink", 64, 48, 233, 13, kLinkLooks},
    {"TFRMABOUT", "zkhotlnkWebPage", "TZKHotLink", 64, 80, 233, 13, kLinkLooks},
    {"TFRMABOUT", "rzlblProductVersion", "TRzLabel", 64, 16, 90, 13,
     {{"Caption", "rzlblProductVersion"}, {"Layout", "tlTop"}, {"BevelWidth", "0"}, {"FrameSides", "[]"}}},
    {"TFRMABOUT", "zkbtnOk", "TZKBitBtn", 344, 24, 75, 25, {{"TabOrder", "0"}, {"Kind", "bkOK"}}},
};

// The resource's bytes as the package linked them.
String ResourceData(const char* Name) {
  const void* data = nullptr;
  size_t size = 0;
  if (!FindResourceData(GetModuleHandleA("BriskPack"), Name, RT_RCDATA, &data, &size)) return String();
  return String(static_cast<const char*>(data), size);
}

class DialogResourcesTest : public TDialogFixture {};

TEST_F(DialogResourcesTest, TheResourcesHoldTheDialogsAsDesigned) {
  for (const char* resource : {"TFRMCONFIGURATION", "TFRMABOUT"}) {
    SCOPED_TRACE(resource);
    const String data = ResourceData(resource);
    ASSERT_EQ(data.substr(0, 4), "TPF0") << "a binary form stream linked into the package";
    const TFormNode root = ReadFormTree(data);
    size_t index = 0;  // the components come in the designed order
    for (const TDesignRow& row : kDesign) {
      if (std::string(row.Resource) != resource) continue;
      SCOPED_TRACE(*row.Component ? row.Component : "the form");
      const bool form = !*row.Component;
      const TFormNode* node = form ? &root : index < root.Children.size() ? &root.Children[index++] : nullptr;
      ASSERT_NE(node, nullptr);
      EXPECT_EQ(node->Name, form ? root.Name : row.Component);
      EXPECT_EQ(node->ClassName, row.Class);
      EXPECT_EQ(node->Prop("Left"), IntToStr(row.Left));
      EXPECT_EQ(node->Prop("Top"), IntToStr(row.Top));
      EXPECT_EQ(node->Prop(form ? "ClientWidth" : "Width"), IntToStr(row.Width));
      EXPECT_EQ(node->Prop(form ? "ClientHeight" : "Height"), IntToStr(row.Height));
      for (const auto& [name, value] : row.Stored) EXPECT_EQ(node->Prop(name), value) << name;
    }
    EXPECT_EQ(index, root.Children.size()) << "no component beyond the design";
  }
}

// The forms built from them: each control where it was designed, labels sized to the caption
// they show now, the "Default" box hidden, the tab order as designed.
TEST_F(DialogResourcesTest, TheFormsAreBuiltFromTheirResources) {
  auto* cfg = new TfrmConfiguration(nullptr);
  auto* about = new TfrmAbout(cfg);
  for (const TDesignRow& row : kDesign) {
    TCustomForm* form = std::string(row.Resource) == "TFRMABOUT" ? static_cast<TCustomForm*>(about) : cfg;
    SCOPED_TRACE(*row.Component ? row.Component : row.Class);
    TControl* c = *row.Component ? FindControlByName(*form, row.Component) : form;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->ClassName(), row.Class);
    EXPECT_EQ(c->GetLeft(), row.Left);
    EXPECT_EQ(c->GetTop(), row.Top);
    if (c == form) {
      EXPECT_EQ(form->GetClientWidth(), row.Width);
      EXPECT_EQ(form->GetClientHeight(), row.Height);
      EXPECT_EQ(form->GetBorderStyle(), bsDialog);
    } else if (auto* label = As<TLabel>(c); label && label->GetAutoSize()) {
      // A label takes the size of the caption it shows; given its stored caption back, it
      // takes the size it was designed at.
      const String caption = label->GetCaption();
      EXPECT_EQ(label->GetWidth(), EstimateTextExtent(label->GetFont(), label->GetDisplayText()).X);
      const auto stored = std::find_if(row.Stored.begin(), row.Stored.end(),
                                       [](const auto& prop) { return std::string(prop.first) == "Caption"; });
      ASSERT_NE(stored, row.Stored.end()) << "an auto-sized label's designed width comes from its stored caption";
      label->SetCaption(stored->second);
      EXPECT_EQ(label->GetWidth(), row.Width);
      label->SetCaption(caption);
    } else {
      EXPECT_EQ(c->GetWidth(), row.Width);
      EXPECT_EQ(c->GetHeight(), row.Height);
    }
  }
  EXPECT_FALSE(cfg->chkDefault->GetVisible());
  std::vector<TWinControl*> order;
  cfg->GetTabOrderList(order);
  std::vector<std::string> names;
  for (TWinControl* c : order)
    if (c->TabStop) names.push_back(c->GetOwner() == cfg ? c->GetName() : c->GetOwner()->GetName() + "." + c->ClassName());
  EXPECT_EQ(names, (std::vector<std::string>{"chkEnable", "zkflnboxWaveEnter.TEdit", "zkflnboxWaveBackspace.TEdit",
                                             "chkDefault", "zkflnboxWaveKey.TEdit", "zkbtnOk", "zkbtnCancel", "zkbtnAbout"}));
  // The browse buttons show the stored picture: 16 x 16 at 24 bits.
  for (TZKFilenameBox* box : {cfg->zkflnboxWaveKey, cfg->zkflnboxWaveEnter, cfg->zkflnboxWaveBackspace}) {
    BITMAP bm;
    ASSERT_TRUE(GetObjectA(box->GetGlyph()->GetHandle(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 16);
    EXPECT_EQ(box->GetButton()->GetGlyph()->GetWidth(), 16) << "handed to the button";
    EXPECT_EQ(box->GetButton()->GetCaption(), "");
    EXPECT_EQ(box->GetEdit()->GetFont()->GetName(), "MS Sans Serif");
  }
  cfg->Free();
}

}  // namespace
