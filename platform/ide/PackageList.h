// The IDE's Installed Packages box: each loaded package with its icon, description, file and
// version, as Component | Install Packages... shows them.
#pragma once

#include <vector>

#include "PackageLoader.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

// What the box shows of one package.
struct TPackageEntry {
  String Description;
  String FileName;
  String Version;      // "1.0.0.1 (product 1.0.0.0)", or "" for a package without a version record
  HMODULE Resources = 0;  // where its icon came from: its localized resource module or the package
  HICON Icon = 0;         // its "MAINICON"; 0 when it has none
};

// The entries of the loader's packages in load order; the icons are the caller's to destroy.
std::vector<TPackageEntry> ListPackages(const TPackageLoader& Loader);

// The list inside the box: one row a package, its icon at the left.
class TPackageListView : public TCustomControl {
  DECLARE_CLASS(TPackageListView, TCustomControl)
 public:
  explicit TPackageListView(TComponent* AOwner);
  static constexpr Integer RowHeight = 44;
  void SetEntries(std::vector<TPackageEntry> Entries);
  const std::vector<TPackageEntry>& GetEntries() const { return FEntries; }
  void Destroy() override;

 protected:
  void Paint() override;

 private:
  std::vector<TPackageEntry> FEntries;
};

// The modal box ("dlgPackages"): the list and an OK button.
class TPackagesDialog : public TForm {
  DECLARE_CLASS(TPackagesDialog, TForm)
 public:
  explicit TPackagesDialog(TComponent* AOwner);
  TPackageListView* GetList() const { return FList; }

 private:
  TPackageListView* FList;
  TButton* FOk;
};

// Shows the box over the IDE's loader's packages until the user closes it.
void ShowInstalledPackages();
