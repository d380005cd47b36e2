// The typing-sound expert's configuration dialog: the Enable switch and the three wave files,
// handed in and out through its Params record, and the way to the About box.
#pragma once

#include "QVBrisk.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vellumkit/ZKBitBtn.h"
#include "platform/vellumkit/ZKFilenameBox.h"

// Built from its form resource "TFRMCONFIGURATION"; it neither reads nor writes the settings
// store and never touches the wave player: MenuExecuteClick does both around it.
class TfrmConfiguration : public TForm {
  DECLARE_CLASS(TfrmConfiguration, TForm)
 public:
  explicit TfrmConfiguration(TComponent* AOwner);

  TLabel* lblWaveKey = nullptr;
  TLabel* lblWaveEnter = nullptr;
  TCheckBox* chkEnable = nullptr;
  TZKFilenameBox* zkflnboxWaveEnter = nullptr;
  TLabel* lblWaveBackspace = nullptr;
  TZKFilenameBox* zkflnboxWaveBackspace = nullptr;
  TCheckBox* chkDefault = nullptr;
  TZKFilenameBox* zkflnboxWaveKey = nullptr;
  TZKBitBtn* zkbtnOk = nullptr;
  TZKBitBtn* zkbtnCancel = nullptr;
  TZKBitBtn* zkbtnAbout = nullptr;

  void FormCreate(TObject* Sender);
  void btnOkClick(TObject* Sender);
  void FormShow(TObject* Sender);
  void zkbtnAboutClick(TObject* Sender);

  // The dialog's working copy of the settings.
  TQVBriskExpertParams Params;

  // Replaces every stored caption.
  void SetFormCaptions();
  // Params to the controls, and the controls back to Params; Default is never shown or read.
  void SetFormVariables();
  void GetFormVariables();

 protected:
  // For a class derived from this one, whose own constructor reads the resources.
  TfrmConfiguration(TComponent* AOwner, bool ReadResource);
};

// The dialog while MenuExecuteClick shows it; null otherwise.
extern TfrmConfiguration* frmConfiguration;
