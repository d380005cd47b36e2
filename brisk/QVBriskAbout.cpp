// The About box.
#include "QVBriskAbout.h"

static const TFieldEntry AboutFields[] = {
    PUBLISHED_FIELD(TfrmAbout, ZKScrollingLabel),
    PUBLISHED_FIELD(TfrmAbout, zkhotlnkAuthor),
    PUBLISHED_FIELD(TfrmAbout, zkhotlnkWebPage),
    PUBLISHED_FIELD(TfrmAbout, zkbtnOk),
    PUBLISHED_FIELD(TfrmAbout, rzlblProductVersion),
};
static const TMethodEntry AboutMethods[] = {PUBLISHED_METHOD(TfrmAbout, FormCreate)};
IMPLEMENT_FORM_CLASS(TfrmAbout, TForm, AboutFields, AboutMethods)

TfrmAbout::TfrmAbout(TComponent* AOwner) : TfrmAbout(AOwner, true) {}

TfrmAbout::TfrmAbout(TComponent* AOwner, bool ReadResource) : TForm(AOwner) {
  if (ReadResource) CreateFromResource();
}

void TfrmAbout::FormCreate(TObject*) { SetFormCaptions(); }

void TfrmAbout::SetFormCaptions() {
  SetCaption("About ...");
  rzlblProductVersion->SetCaption("Brisk expert for Delphi 5 - Version 1.00");
  ZKScrollingLabel->FSetScrollText("QV Brisk, typing sounds for the IDE's code editor - Copyright (c) 2000 Orvane Software");
  zkhotlnkAuthor->SetCaption("Author : the QV Brisk maintainers");
  zkhotlnkAuthor->Url = "mailto:brisk@example.org";
  zkhotlnkAuthor->SetHint("Mail me for anything");
  zkhotlnkWebPage->SetCaption("WebPage : www.example.org/brisk");
  zkhotlnkWebPage->Url = "http://www.example.org/brisk";
  zkhotlnkWebPage->SetHint("Wisit my webpage for last version");
}
