// The Installed Packages box: the packages' own resources, read the way the IDE reads them.
#include "PackageList.h"

#include "platform/vcl/LibModules.h"

IMPLEMENT_COMPONENT_CLASS(TPackageListView, TCustomControl)
IMPLEMENT_COMPONENT_CLASS(TPackagesDialog, TForm)

std::vector<TPackageEntry> ListPackages(const TPackageLoader& Loader) {
  std::vector<TPackageEntry> entries;
  for (const TPackage* p : Loader.GetPackages()) {
    TPackageEntry e;
    e.Description = p->Description.empty() ? "(no description)" : p->Description;
    e.FileName = p->FileName;
    if (p->HasVersion) e.Version = p->Version.FileVersion + " (product " + p->Version.ProductVersion + ")";
    // The package's resources answer through its localized module while one is loaded.
    if (const HMODULE own = GetModuleHandleA(ModuleResourceName(p->FileName).c_str())) {
      e.Resources = FindResourceHInstance(own);
      e.Icon = LoadIconA(e.Resources, "MAINICON");
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

// ---- the list ---------------------------------------------------------------------------------

TPackageListView::TPackageListView(TComponent* AOwner) : TCustomControl(AOwner) { SetColor(clWindow); }

void TPackageListView::Destroy() {
  SetEntries({});
  inherited::Destroy();
}

void TPackageListView::SetEntries(std::vector<TPackageEntry> Entries) {
  for (const TPackageEntry& e : FEntries)
    if (e.Icon) DestroyIcon(e.Icon);
  FEntries = std::move(Entries);
  Invalidate();
}

void TPackageListView::Paint() {
  TCanvas* c = GetCanvas();
  const TRect client = GetClientRect();
  c->GetBrush()->SetColor(clWindow);
  c->FillRect(client);
  // A sunken frame, as list boxes have.
  c->GetPen()->SetColor(clBtnShadow);
  c->MoveTo(0, client.Bottom - 1);
  c->LineTo(0, 0);
  c->LineTo(client.Right - 1, 0);
  c->GetPen()->SetColor(clBtnHighlight);
  c->LineTo(client.Right - 1, client.Bottom - 1);
  c->LineTo(0, client.Bottom - 1);
  c->GetBrush()->SetStyle(bsClear);
  if (FEntries.empty()) {
    c->GetFont()->SetColor(clGrayText);
    c->TextOut(8, 8, "No packages are loaded.");
    return;
  }
  Integer y = 2;
  for (const TPackageEntry& e : FEntries) {
    if (e.Icon) DrawIconEx(c->GetHandle(), 6, y + 6, e.Icon, 32, 32, 0, 0, DI_NORMAL);
    c->GetFont()->SetColor(clWindowText);
    c->GetFont()->SetStyle({fsBold});
    c->TextOut(46, y + 5, e.Description);
    c->GetFont()->SetStyle({});
    if (!e.Version.empty()) {
      const String v = "Version " + e.Version;
      c->TextOut(client.Right - 8 - c->TextWidth(v), y + 5, v);
    }
    c->GetFont()->SetColor(clGrayText);
    c->TextOut(46, y + 23, e.FileName);
    y += RowHeight;
  }
}

// ---- the box ---------------------------------------------------------------------------------

TPackagesDialog::TPackagesDialog(TComponent* AOwner) : TForm(AOwner) {
  SetName("dlgPackages");
  SetCaption("Installed Packages");
  SetBorderStyle(bsDialog);
  SetBounds(180, 140, 560, 300);
  // The client area is what the border leaves, known once the window is there.
  HandleNeeded();
  SetClientWidth(552);
  SetClientHeight(266);
  FList = new TPackageListView(this);
  FList->SetName("lstPackages");
  FList->SetParent(this);
  FList->SetBounds(8, 8, 536, 216);
  FOk = new TButton(this);
  FOk->SetName("btnOk");
  FOk->SetParent(this);
  FOk->SetCaption("OK");
  FOk->SetModalResult(mrOk);
  FOk->SetDefault(true);
  FOk->SetCancel(true);
  FOk->SetBounds(469, 233, 75, 25);
}

void ShowInstalledPackages() {
  auto* box = new TPackagesDialog(Application);
  try {
    if (PackageLoader) box->GetList()->SetEntries(ListPackages(*PackageLoader));
    box->ShowModal();
  } catch (...) {
    box->Free();
    throw;
  }
  box->Free();
}
