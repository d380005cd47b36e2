// A panel on a form written to a form stream and read back: its published properties travel,
// its own title bar, strip and buttons do not.
#include "PanelFixture.h"
#include "platform/vcl/ObjectText.h"
#include "platform/vcl/Streams.h"

namespace {

using PanelStream = TPanelFixture;

String FormText(TComponent* root) {
  TAutoFree<TMemoryStream> binary(new TMemoryStream());
  TAutoFree<TMemoryStream> text(new TMemoryStream());
  binary->WriteComponent(root);
  binary->SetPosition(0);
  ObjectBinaryToText(binary.Get(), text.Get());
  return text->GetDataString();
}

TEST_F(PanelStream, APanelsPropertiesTravelThroughAFormStream) {
  auto* host = new TForm(nullptr);
  host->SetName("Host");
  auto* panel = new TEIPanel(host);
  panel->SetName("Panel1");
  panel->SetParent(host);
  panel->SetTitleBarAlign(talTop);
  panel->SetTitleBarCaption("Tools");
  panel->SetTitleBarButtonVisible({tbbeX, tbbeHelp});
  panel->SetTitleBarColor(clNavy);
  panel->GetTitleBarFont()->SetSize(10);
  panel->SetSplitterVisible(false);
  panel->SetLiveSplit(true);
  panel->SetDragable(false);
  const String text = FormText(host);
  host->Free();

  for (const char* line : {"object Panel1: TEIPanel", "TitleBarAlign = talTop", "TitleBarCaption = 'Tools'",
                           "TitleBarButtonVisible = [tbbeX, tbbeHelp]", "TitleBarColor = clNavy",
                           "TitleBarFont.Height = -13", "SplitterVisible = False", "LiveSplit = True",
                           "Dragable = False"})
    EXPECT_NE(text.find(line), String::npos) << line << "\n" << text;
  for (const char* absent : {"TTitleBar", "TSplitterPanel", "TTitleBarButton"})
    EXPECT_EQ(text.find(absent), String::npos) << absent << "\n" << text;

  auto* copy = new TForm(nullptr);
  TAutoFree<TMemoryStream> in(new TMemoryStream());
  TAutoFree<TMemoryStream> binary(new TMemoryStream());
  in->SetDataString(text);
  ObjectTextToBinary(in.Get(), binary.Get());
  binary->SetPosition(0);
  binary->ReadComponent(copy);
  auto* read = As<TEIPanel>(copy->FindComponent("Panel1"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetTitleBarAlign(), talTop);
  EXPECT_EQ(read->GetTitleBarCaption(), "Tools");
  EXPECT_EQ(read->GetTitleBarButtonVisible(), (TTitleBarButtonIDs{tbbeX, tbbeHelp}));
  EXPECT_EQ(read->GetTitleBarColor(), clNavy);
  EXPECT_EQ(read->GetTitleBarFont()->GetSize(), 10);
  EXPECT_FALSE(read->GetSplitterVisible());
  EXPECT_TRUE(read->GetLiveSplit());
  EXPECT_FALSE(read->GetDragable());
  EXPECT_EQ(read->GetTitleBar()->GetControlCount(), 8) << "no second set of buttons";
  EXPECT_EQ(read->GetControlCount(), 2);
  copy->Free();
}

}  // namespace
