#include "FrameworkFixture.h"

#include <cstdio>

std::string TFrameworkFixture::Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}

void TRecordingNotifier::BeforeEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) {
  if (Only && o.Msg != Only) return;
  LastManager = m;
  LastOriginal = o;
  Log->push_back(Name + ".before " + TFrameworkFixture::Hex(o.Msg));
  if (BeforeResult >= 0) mod.Result = BeforeResult;
}

void TRecordingNotifier::AfterEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) {
  if (Only && o.Msg != Only) return;
  LastManager = m;
  LastOriginal = o;
  LastModified = mod;
  Log->push_back(Name + ".after " + TFrameworkFixture::Hex(o.Msg));
}

void TFrameworkFixture::SetUp() {
  TIdeFixture::SetUp();
  MainForm = new TForm(Application);
  MainForm->SetCaption("Main");
  Application->SetMainForm(MainForm);
  MainForm->Show();
  for (int i = 0; i < 2; ++i) {
    TEditWindowLayout layout;
    layout.Caption = "Unit" + std::to_string(i + 1) + ".pas";
    Editors[i] = CreateEditWindow(Application, layout);
    Editors[i]->Show();
  }
  TEditWindowLayout bad;
  bad.StatusBar = false;
  bad.Caption = "Broken.pas";
  Malformed = CreateEditWindow(Application, bad);
  Malformed->Show();
  MainForm->SetFocus();
  Application->ProcessMessages();
}
