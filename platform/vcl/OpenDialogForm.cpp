// The file-open form: the folder read with std::filesystem, names matched to the type's
// patterns without regard to case, as the platform's file system compares them.
#include "OpenDialogForm.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>

#include "../win/MessageBox.h"

namespace fs = std::filesystem;

IMPLEMENT_CLASS(TOpenDialogForm, TForm)

namespace {

// "Wave files (*.wav)|*.wav|Any file (*.*)|*.*" as description and patterns; a filter
// without one gives the single type of every file.
std::vector<std::pair<String, String>> ParseFilter(const String& Filter) {
  std::vector<String> parts;
  size_t start = 0;
  for (size_t bar; (bar = Filter.find('|', start)) != String::npos; start = bar + 1)
    parts.push_back(Filter.substr(start, bar - start));
  parts.push_back(Filter.substr(start));
  std::vector<std::pair<String, String>> filters;
  for (size_t i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].empty() || !parts[i + 1].empty()) filters.emplace_back(parts[i], parts[i + 1]);
  if (filters.empty()) filters.emplace_back("All files", "*");
  return filters;
}

// One of the ';'-separated patterns matches; "*.*" is every name, with a dot or without.
bool MatchesAny(const String& Name, const String& Patterns) {
  size_t start = 0;
  for (;;) {
    const size_t semi = Patterns.find(';', start);
    String p = Trim(Patterns.substr(start, semi == String::npos ? String::npos : semi - start));
    if (p == "*.*") p = "*";
    if (!p.empty() && fnmatch(p.c_str(), Name.c_str(), FNM_CASEFOLD) == 0) return true;
    if (semi == String::npos) return false;
    start = semi + 1;
  }
}

bool IsFolder(const String& Path) {
  std::error_code ec;
  return fs::is_directory(Path, ec);
}

String Normal(const String& Path) {
  std::error_code ec;
  fs::path p = fs::absolute(Path, ec).lexically_normal();
  String s = p.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

TOpenDialogForm::TOpenDialogForm(TComponent* AOwner, const TOpenDialogRequest& Request)
    : TForm(AOwner), FRequest(Request) {
  SetName("dlgOpen");
  SetCaption(Request.Title.empty() ? String("Open") : Request.Title);
  SetBorderStyle(bsDialog);
  HandleNeeded();
  SetClientWidth(425);
  SetClientHeight(252);
  const int w = GetWidth(), h = GetHeight();
  SetBounds((GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h);
  auto label = [this](const char* name, const char* caption, int x, int y) {
    auto* l = new TLabel(this);
    l->SetName(name);
    l->SetCaption(caption);
    l->SetParent(this);
    l->SetBounds(x, y, l->GetWidth(), l->GetHeight());
  };
  label("lblLookIn", "Look &in:", 8, 12);
  FLookIn = new TEdit(this);
  FLookIn->SetName("edtLookIn");
  FLookIn->SetReadOnly(true);
  FLookIn->TabStop = false;
  FLookIn->SetParent(this);
  FLookIn->SetBounds(88, 8, 329, 21);
  FFiles = new TListBox(this);
  FFiles->SetName("lstFiles");
  FFiles->SetParent(this);
  FFiles->SetBounds(8, 37, 409, 146);
  FFiles->OnClick = MethodOf<&TOpenDialogForm::FilesClick>(this);
  FFiles->OnDblClick = MethodOf<&TOpenDialogForm::FilesDblClick>(this);
  label("lblFileName", "File &name:", 8, 196);
  FFileName = new TEdit(this);
  FFileName->SetName("edtFileName");
  FFileName->SetParent(this);
  FFileName->SetBounds(88, 192, 248, 21);
  label("lblFileType", "Files of &type:", 8, 226);
  FTypes = new TComboBox(this);
  FTypes->SetName("cbxFileType");
  FTypes->SetParent(this);
  FTypes->SetBounds(88, 222, 248, 21);
  FOpen = new TButton(this);
  FOpen->SetName("btnOpen");
  FOpen->SetCaption("&Open");
  FOpen->SetDefault(true);
  FOpen->SetParent(this);
  FOpen->SetBounds(342, 191, 75, 23);
  FOpen->OnClick = MethodOf<&TOpenDialogForm::OpenClick>(this);
  FCancel = new TButton(this);
  FCancel->SetName("btnCancel");
  FCancel->SetCaption("Cancel");
  FCancel->SetCancel(true);
  FCancel->SetModalResult(mrCancel);
  FCancel->SetParent(this);
  FCancel->SetBounds(342, 221, 75, 23);

  FFilters = ParseFilter(Request.Filter);
  std::vector<String> types;
  for (const auto& f : FFilters) types.push_back(f.first);
  FTypes->SetItems(types);
  FTypes->SetItemIndex(std::clamp<Integer>(Request.FilterIndex, 1, static_cast<Integer>(types.size())) - 1);
  FTypes->OnChange = MethodOf<&TOpenDialogForm::TypeChange>(this);

  // The folder: the one the name was in, else the initial one, else the working folder.
  const String dir = ExtractFilePath(Request.FileName);
  String folder = !dir.empty() && IsFolder(dir)                              ? dir
                  : !Request.InitialDir.empty() && IsFolder(Request.InitialDir) ? Request.InitialDir
                                                                               : String(".");
  SetFolder(folder);
  FFileName->SetText(!dir.empty() && Normal(dir) == FFolder ? ExtractFileName(Request.FileName) : Request.FileName);
  SetActiveControl(FFileName);
  FFileName->SelectAll();
  OnShow = MethodOf<&TOpenDialogForm::FormShow>(this);
}

void TOpenDialogForm::SetFolder(const String& Folder) {
  FFolder = Normal(Folder);
  FLookIn->SetText(FFolder);
  Fill();
}

void TOpenDialogForm::Fill() {
  std::vector<TEntry> folders, files;
  const String& patterns = FFilters[static_cast<size_t>(std::max<Integer>(0, FTypes->GetItemIndex()))].second;
  std::error_code ec;
  for (fs::directory_iterator it(FFolder, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
       it.increment(ec)) {
    const String name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kind;
    if (it->is_directory(kind)) folders.push_back({name, true});
    else if (MatchesAny(name, patterns)) files.push_back({name, false});
  }
  auto byName = [](const TEntry& a, const TEntry& b) {
    return std::lexicographical_compare(a.Name.begin(), a.Name.end(), b.Name.begin(), b.Name.end(),
                                        [](char x, char y) { return std::tolower(x) < std::tolower(y); });
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  FEntries.clear();
  if (FFolder != "/") FEntries.push_back({"..", true});
  FEntries.insert(FEntries.end(), folders.begin(), folders.end());
  FEntries.insert(FEntries.end(), files.begin(), files.end());
  std::vector<String> items;
  for (const TEntry& e : FEntries) items.push_back(e.Folder ? "[" + e.Name + "]" : e.Name);
  FFiles->SetItems(items);
}

// A name typed or picked: a folder is opened, anything else is the answer.
void TOpenDialogForm::Choose(const String& Name) {
  if (Name.empty()) return;
  const String full = !Name.empty() && Name[0] == '/' ? Name : FFolder + (FFolder == "/" ? "" : "/") + Name;
  if (Name.find_first_of("*?") != String::npos && Name.find('/') == String::npos) {
    // A pattern shows the folder's files that match it, as a type of its own.
    FFilters.emplace_back(Name, Name);
    std::vector<String> types = FTypes->GetItems();
    types.push_back(Name);
    FTypes->SetItems(types);
    FTypes->SetItemIndex(static_cast<Integer>(types.size()) - 1);
    Fill();
    return;
  }
  if (IsFolder(full)) {
    SetFolder(full);
    FFileName->SetText("");
    return;
  }
  FChosen = full;
  SetModalResult(mrOk);
}

void TOpenDialogForm::OpenClick(TObject*) {
  // Enter on the list opens its folder or chooses its file; otherwise the typed name counts.
  const Integer i = FFiles->GetItemIndex();
  if (GetActiveControl() == FFiles && i >= 0) {
    FilesDblClick(FFiles);
    return;
  }
  Choose(Trim(FFileName->GetText()));
}

void TOpenDialogForm::FilesClick(TObject*) {
  const Integer i = FFiles->GetItemIndex();
  if (i >= 0 && !FEntries[static_cast<size_t>(i)].Folder) FFileName->SetText(FEntries[static_cast<size_t>(i)].Name);
}

void TOpenDialogForm::FilesDblClick(TObject*) {
  const Integer i = FFiles->GetItemIndex();
  if (i < 0) return;
  const TEntry e = FEntries[static_cast<size_t>(i)];
  if (e.Name == "..") {
    SetFolder(fs::path(FFolder).parent_path().string());
    return;
  }
  Choose(e.Name);
}

void TOpenDialogForm::TypeChange(TObject*) { Fill(); }

// A refused answer is told over the dialog once it is back on the screen and its loop runs.
void TOpenDialogForm::FormShow(TObject*) {
  if (!FRequest.Refusal.empty()) PostMessage(GetHandle(), CM_SHOWREFUSAL, 0, 0);
}

void TOpenDialogForm::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_SHOWREFUSAL) {
    TForm::Dispatch(Message);
    return;
  }
  const String refusal = FRequest.Refusal;
  FRequest.Refusal.clear();
  if (!refusal.empty()) MessageBox(GetHandle(), refusal, GetCaption(), MB_OK | MB_ICONWARNING);
}

bool ShowOpenDialogForm(TOpenDialogRequest& Request) {
  if (!Application) return false;
  auto* form = new TOpenDialogForm(Application, Request);
  bool chosen = false;
  try {
    chosen = form->ShowModal() == mrOk;
    if (chosen) {
      Request.FileName = form->GetChosen();
      Request.FilterIndex = form->GetFilterIndex();
    }
    Request.InitialDir = form->GetFolder();
  } catch (...) {
    form->Free();
    throw;
  }
  form->Free();
  return chosen;
}
