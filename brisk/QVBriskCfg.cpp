// The configuration dialog.
#include "QVBriskCfg.h"

#include "QVBriskAbout.h"

TfrmConfiguration* frmConfiguration = nullptr;

static const TFieldEntry ConfigurationFields[] = {
    PUBLISHED_FIELD(TfrmConfiguration, lblWaveKey),
    PUBLISHED_FIELD(TfrmConfiguration, lblWaveEnter),
    PUBLISHED_FIELD(TfrmConfiguration, chkEnable),
    PUBLISHED_FIELD(TfrmConfiguration, zkflnboxWaveEnter),
    PUBLISHED_FIELD(TfrmConfiguration, lblWaveBackspace),
    PUBLISHED_FIELD(TfrmConfiguration, zkflnboxWaveBackspace),
    PUBLISHED_FIELD(TfrmConfiguration, chkDefault),
    PUBLISHED_FIELD(TfrmConfiguration, zkflnboxWaveKey),
    PUBLISHED_FIELD(TfrmConfiguration, zkbtnOk),
    PUBLISHED_FIELD(TfrmConfiguration, zkbtnCancel),
    PUBLISHED_FIELD(TfrmConfiguration, zkbtnAbout),
};
static const TMethodEntry ConfigurationMethods[] = {
    PUBLISHED_METHOD(TfrmConfiguration, FormCreate),
    PUBLISHED_METHOD(TfrmConfiguration, btnOkClick),
    PUBLISHED_METHOD(TfrmConfiguration, FormShow),
    PUBLISHED_METHOD(TfrmConfiguration, zkbtnAboutClick),
};
IMPLEMENT_FORM_CLASS(TfrmConfiguration, TForm, ConfigurationFields, ConfigurationMethods)

TfrmConfiguration::TfrmConfiguration(TComponent* AOwner) : TfrmConfiguration(AOwner, true) {}

TfrmConfiguration::TfrmConfiguration(TComponent* AOwner, bool ReadResource) : TForm(AOwner) {
  if (ReadResource) CreateFromResource();
}

void TfrmConfiguration::FormCreate(TObject*) { SetFormCaptions(); }

void TfrmConfiguration::SetFormCaptions() {
  SetCaption("QV Brisk Expert");
  zkbtnOk->SetCaption("OK");
  zkbtnCancel->SetCaption("Cancel");
  zkbtnAbout->SetCaption("&About");
  chkEnable->SetCaption("Enable");
  chkDefault->SetCaption("Default");
  lblWaveKey->SetCaption("Wave &Key");
  lblWaveEnter->SetCaption("Wave &Enter");
  lblWaveBackspace->SetCaption("Wave &Backspace");
}

void TfrmConfiguration::FormShow(TObject*) { SetFormVariables(); }

void TfrmConfiguration::SetFormVariables() {
  chkEnable->SetChecked(Params.Active);
  zkflnboxWaveKey->SetFilename(Params.WaveKey);
  zkflnboxWaveEnter->SetFilename(Params.WaveEnter);
  zkflnboxWaveBackspace->SetFilename(Params.WaveBackspace);
  for (TZKFilenameBox* box : {zkflnboxWaveKey, zkflnboxWaveEnter, zkflnboxWaveBackspace}) box->SetDefault("wav");
  for (TZKFilenameBox* box : {zkflnboxWaveKey, zkflnboxWaveEnter, zkflnboxWaveBackspace}) box->SetFilter("*.wav");
}

void TfrmConfiguration::btnOkClick(TObject*) { GetFormVariables(); }

void TfrmConfiguration::GetFormVariables() {
  Params.Active = chkEnable->GetChecked();
  Params.WaveKey = zkflnboxWaveKey->GetFilename();
  Params.WaveEnter = zkflnboxWaveEnter->GetFilename();
  Params.WaveBackspace = zkflnboxWaveBackspace->GetFilename();
}

void TfrmConfiguration::zkbtnAboutClick(TObject*) {
  auto* about = new TfrmAbout(this);
  try {
    about->SetTop(GetTop() + 30);
    about->SetLeft(GetLeft() + 30);
    about->ShowModal();
  } catch (...) {
    about->Free();
    throw;
  }
  about->Free();
}
