// Lists, string lists and the component model.
#include "Classes.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "Reader.h"
#include "TypInfo.h"
#include "Writer.h"

IMPLEMENT_ENUM_INFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")

IMPLEMENT_CLASS(TList, TObject)
IMPLEMENT_CLASS(TPersistent, TObject)
IMPLEMENT_CLASS(TStringList, TPersistent)
IMPLEMENT_CLASS(TCollectionItem, TPersistent)
IMPLEMENT_CLASS(TCollection, TPersistent)

static const TPropInfo ComponentProps[] = {
    PUBLISHED_STR_STORED(TComponent, "Name", GetName, SetName, [](const TComponent*) { return false; }),
    PUBLISHED_INT_FIELD(TComponent, "Tag", Tag, 0),
};
IMPLEMENT_COMPONENT_CLASS_PROPS(TComponent, TPersistent, ComponentProps)

// ---- TList ---------------------------------------------------------------------------------

void TList::Error(const char* fmt, Integer value) { throw EListError(Format(fmt, value)); }

static constexpr const char* SListIndexError = "List index out of bounds (%d)";
static constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";

void* TList::Get(Integer index) const {
  if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
  return FItems[static_cast<size_t>(index)];
}

void TList::Put(Integer index, void* item) {
  if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
  FItems[static_cast<size_t>(index)] = item;
}

Integer TList::Add(void* item) {
  FItems.push_back(item);
  return GetCount() - 1;
}

void TList::Insert(Integer index, void* item) {
  if (index < 0 || index > GetCount()) Error(SListIndexError, index);
  FItems.insert(FItems.begin() + index, item);
}

void TList::Delete(Integer index) {
  if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
  FItems.erase(FItems.begin() + index);
}

Integer TList::Remove(void* item) {
  Integer i = IndexOf(item);
  if (i >= 0) Delete(i);
  return i;
}

Integer TList::IndexOf(const void* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == item) return static_cast<Integer>(i);
  return -1;
}

void TList::Exchange(Integer a, Integer b) {
  if (a < 0 || a >= GetCount()) Error(SListIndexError, a);
  if (b < 0 || b >= GetCount()) Error(SListIndexError, b);
  std::swap(FItems[static_cast<size_t>(a)], FItems[static_cast<size_t>(b)]);
}

void TList::Move(Integer from, Integer to) {
  if (from == to) return;
  if (to < 0 || to >= GetCount()) Error(SListIndexError, to);
  void* item = Get(from);
  FItems.erase(FItems.begin() + from);
  FItems.insert(FItems.begin() + to, item);
}

void TList::SetCapacity(Integer capacity) {
  if (capacity < GetCount() || capacity > (INT32_MAX / 16)) Error(SListCapacityError, capacity);
  FItems.reserve(static_cast<size_t>(capacity));
}

// ---- TStringList ---------------------------------------------------------------------------

void TStringList::Error(const char* fmt, Integer value) { throw EStringListError(Format(fmt, value)); }

String TStringList::Get(Integer index) const {
  if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
  return FItems[static_cast<size_t>(index)].S;
}

void TStringList::Put(Integer index, const String& s) {
  if (FSorted) Error("Operation not allowed on sorted string list", 0);
  if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
  Changing();
  FItems[static_cast<size_t>(index)].S = s;
  Changed();
}

TObject* TStringList::GetObject(Integer index) const {
  if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
  return FItems[static_cast<size_t>(index)].Obj;
}

void TStringList::PutObject(Integer index, TObject* obj) {
  if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
  Changing();
  FItems[static_cast<size_t>(index)].Obj = obj;
  Changed();
}

Integer TStringList::AddObject(const String& s, TObject* obj) {
  Integer index;
  if (!FSorted) {
    index = GetCount();
  } else if (Find(s, index)) {
    switch (FDuplicates) {
      case dupIgnore:
        return index;
      case dupError:
        Error("String list does not allow duplicates", 0);
      case dupAccept:
        break;
    }
  }
  Changing();
  FItems.insert(FItems.begin() + index, TItem{s, obj});
  Changed();
  return index;
}

void TStringList::InsertObject(Integer index, const String& s, TObject* obj) {
  if (FSorted) Error("Operation not allowed on sorted string list", 0);
  if (index < 0 || index > GetCount()) Error(SListIndexError, index);
  Changing();
  FItems.insert(FItems.begin() + index, TItem{s, obj});
  Changed();
}

void TStringList::Delete(Integer index) {
  if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
  Changing();
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  FItems.clear();
  Changed();
}

Integer TStringList::IndexOf(const String& s) const {
  if (FSorted) {
    Integer i;
    return Find(s, i) ? i : -1;
  }
  for (size_t i = 0; i < FItems.size(); ++i)
    if (CompareText(FItems[i].S, s) == 0) return static_cast<Integer>(i);
  return -1;
}

bool TStringList::Find(const String& s, Integer& index) const {
  Integer lo = 0, hi = GetCount() - 1;
  bool found = false;
  while (lo <= hi) {
    Integer mid = (lo + hi) / 2;
    int c = CompareText(FItems[static_cast<size_t>(mid)].S, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](const TItem& a, const TItem& b) { return CompareText(a.S, b.S) < 0; });
  Changed();
}

void TStringList::Exchange(Integer a, Integer b) {
  if (a < 0 || a >= GetCount()) Error(SListIndexError, a);
  if (b < 0 || b >= GetCount()) Error(SListIndexError, b);
  Changing();
  std::swap(FItems[static_cast<size_t>(a)], FItems[static_cast<size_t>(b)]);
  Changed();
}

void TStringList::SetSorted(bool value) {
  if (FSorted == value) return;
  if (value) Sort();
  FSorted = value;
}

String TStringList::GetText() const {
  String r;
  for (const TItem& it : FItems) {
    r += it.S;
    r += "\r\n";
  }
  return r;
}

void TStringList::SetText(const String& text) {
  BeginUpdate();
  Clear();
  // Walks the text as a zero-terminated string: a line ends at CR or LF, then one CR and
  // one LF are skipped, so CR LF is one break and LF CR two. An unsorted list takes each
  // line as it comes, built once in place.
  const char* p = text.c_str();
  while (*p) {
    const char* start = p;
    while (*p && *p != '\r' && *p != '\n') ++p;
    if (FSorted)
      Add(String(start, p));
    else
      FItems.push_back(TItem{String(start, p), nullptr});
    if (*p == '\r') ++p;
    if (*p == '\n') ++p;
  }
  EndUpdate();
}

void TStringList::AddStrings(const TStringList* other) {
  BeginUpdate();
  for (Integer i = 0; i < other->GetCount(); ++i) AddObject(other->Get(i), other->GetObject(i));
  EndUpdate();
}

void TStringList::Assign(const TStringList* other) {
  BeginUpdate();
  Clear();
  AddStrings(other);
  EndUpdate();
}

void TStringList::BeginUpdate() {
  if (FUpdateCount++ == 0) Changing();
}

void TStringList::EndUpdate() {
  if (--FUpdateCount == 0) Changed();
}

void TStringList::Changing() {
  if (FUpdateCount == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

bool TStringList::LoadFromFile(const String& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EInOutError(Format("Cannot open file %s", fileName.c_str()));
  std::ostringstream ss;
  ss << in.rdbuf();
  SetText(ss.str());
  return true;
}

void TStringList::SaveToFile(const String& fileName) const {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out) throw EInOutError(Format("Cannot create file %s", fileName.c_str()));
  out << GetText();
}

void TStringList::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty("Strings", MethodOf<&TStringList::ReadData>(this), MethodOf<&TStringList::WriteData>(this),
                        GetCount() > 0);
}

void TStringList::ReadData(TReader* Reader) {
  Reader->ReadListBegin();
  BeginUpdate();
  try {
    Clear();
    while (!Reader->EndOfList()) Add(Reader->ReadString());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Reader->ReadListEnd();
}

void TStringList::WriteData(TWriter* Writer) {
  Writer->WriteListBegin();
  for (const TItem& it : FItems) Writer->WriteString(it.S);
  Writer->WriteListEnd();
}

// ---- TComponent ----------------------------------------------------------------------------

static constexpr const char* SDuplicateName = "A component named %s already exists";
static constexpr const char* SInvalidName = "''%s'' is not a valid component name";

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

void TComponent::Destroy() {
  MarkDestroying();
  if (FFreeNotifies) {
    while (FFreeNotifies && FFreeNotifies->GetCount() > 0) {
      TComponent* c = FFreeNotifies->Last();
      FFreeNotifies->Remove(c);
      if (FFreeNotifies->GetCount() == 0) FreeAndNil(FFreeNotifies);
      c->Notification(this, opRemove);
    }
    FreeAndNil(FFreeNotifies);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
  inherited::Destroy();
}

TComponent::~TComponent() {
  if (!FComponentState.Contains(csDestroying)) TComponent::Destroy();
}

void TComponent::MarkDestroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (Integer i = 0; i < GetComponentCount(); ++i) FComponents->Get(i)->MarkDestroying();
}

void TComponent::SetComponentStateFlag(TComponentStateItem item, bool on) {
  if (on)
    FComponentState.Include(item);
  else
    FComponentState.Exclude(item);
}

// Owned components die last first, each detached from its owner silently before it is
// destroyed: neither the owner nor the siblings hear of it.
void TComponent::DestroyComponents() {
  while (FComponents) {
    TComponent* c = FComponents->Last();
    Remove(c);
    c->Free();
  }
}

TComponent* TComponent::GetComponent(Integer index) const {
  if (!FComponents) TList::Error(SListIndexError, index);
  return FComponents->Get(index);
}

Integer TComponent::GetComponentIndex() const {
  return FOwner && FOwner->FComponents ? FOwner->FComponents->IndexOf(this) : -1;
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty() || !FComponents) return nullptr;
  for (Integer i = 0; i < FComponents->GetCount(); ++i) {
    TComponent* c = FComponents->Get(i);
    if (SameText(c->FName, name)) return c;
  }
  return nullptr;
}

void TComponent::SetName(const String& name) {
  if (FName == name) return;
  if (!name.empty() && !IsValidIdent(name)) throw EComponentError(Format(SInvalidName, name.c_str()));
  if (FOwner)
    FOwner->ValidateRename(this, FName, name);
  else
    ValidateRename(nullptr, FName, name);
  SetReference(false);
  FName = name;
  SetReference(true);
}

void TComponent::SetReference(bool Enable) {
  if (!FOwner || FName.empty()) return;
  const TFieldEntry* field = FOwner->ClassType()->FindField(FName);
  // A field of another class is left alone: the owner's code would misread it.
  if (field && (!Enable || InheritsFrom(field->FieldClass))) field->Set(FOwner, Enable ? this : nullptr);
}

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }

void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::ValidateRename(TComponent* c, const String& curName, const String& newName) {
  if (c && !SameText(curName, newName) && FindComponent(newName))
    throw EComponentError(Format(SDuplicateName, newName.c_str()));
}

void TComponent::InsertComponent(TComponent* c) {
  ValidateRename(c, String(), c->FName);
  Insert(c);
  c->SetReference(true);
  Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  Notification(c, opRemove);
  c->SetReference(false);
  Remove(c);
}

void TComponent::Insert(TComponent* c) {
  if (!FComponents) FComponents = new TListOf<TComponent>();
  FComponents->Add(c);
  c->FOwner = this;
}

void TComponent::Remove(TComponent* c) {
  if (FComponents) {
    FComponents->Remove(c);
    if (FComponents->GetCount() == 0) FreeAndNil(FComponents);
  }
  c->FOwner = nullptr;
}

// Removal of a component is told to every component of this one, which passes it on.
void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // The list may shrink while it is walked (a receiver frees a sibling): re-check each step.
  for (Integer i = 0; FComponents && i < FComponents->GetCount(); ++i)
    FComponents->Get(i)->Notification(AComponent, Operation);
}

void TComponent::FreeNotification(TComponent* c) {
  if (!c || c == this) return;
  if (FOwner && c->FOwner == FOwner) return;  // the common owner already tells both
  if (!FFreeNotifies) FFreeNotifies = new TListOf<TComponent>();
  if (FFreeNotifies->IndexOf(c) < 0) {
    FFreeNotifies->Add(c);
    c->FreeNotification(this);
  }
}

// Registration is two-way, so is its removal: neither side may keep a pointer to the other.
void TComponent::RemoveFreeNotification(TComponent* c) {
  RemoveNotification(c);
  if (c) c->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* c) {
  if (!FFreeNotifies) return;
  FFreeNotifies->Remove(c);
  if (FFreeNotifies->GetCount() == 0) FreeAndNil(FFreeNotifies);
}

// ---- TCollection ---------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) : FCollection(Collection) {
  if (FCollection) FCollection->FItems.push_back(this);
}

void TCollectionItem::Destroy() {
  if (FCollection) {
    auto& items = FCollection->FItems;
    items.erase(std::remove(items.begin(), items.end(), this), items.end());
    FCollection = nullptr;
  }
  inherited::Destroy();
}

// A descendant's constructor that raised leaves no entry behind in the collection.
TCollectionItem::~TCollectionItem() {
  if (FCollection) TCollectionItem::Destroy();
}

Integer TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  return static_cast<Integer>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollection::Destroy() {
  Clear();
  inherited::Destroy();
}

TCollectionItem* TCollection::GetItem(Integer Index) const {
  if (Index < 0 || Index >= GetCount()) TList::Error(SListIndexError, Index);
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::Clear() {
  while (!FItems.empty()) FItems.back()->Free();
}

// ---- object instances ----------------------------------------------------------------------

namespace {
int gInstanceCount = 0;

struct TObjectInstance : TWndProcThunk {
  TWndMethod Method;
  static LRESULT Call(const TWndProcThunk* self, HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m;
    m.Msg = msg;
    m.WParam = static_cast<int32_t>(wParam);
    m.LParam = lParam;
    m.Result = 0;
    static_cast<const TObjectInstance*>(self)->Method(m);
    return m.Result;
  }
};
}  // namespace

WNDPROC MakeObjectInstance(TWndMethod method) {
  auto* inst = new TObjectInstance{{&TObjectInstance::Call}, method};
  ++gInstanceCount;
  return inst;
}

void FreeObjectInstance(WNDPROC instance) {
  if (!instance) return;
  --gInstanceCount;
  delete static_cast<const TObjectInstance*>(instance);
}

int GetObjectInstanceCount() { return gInstanceCount; }

HWND AllocateHWnd(TWndMethod method) {
  TCreateWindowParams p;
  p.ClassName = "TPUtilWindow";
  p.Style = WS_POPUP;
  p.WndProc = MakeObjectInstance(method);
  HWND wnd = CreateWindowEx(p);
  if (!wnd) FreeObjectInstance(p.WndProc);
  return wnd;
}

void DeallocateHWnd(HWND wnd) {
  if (!IsWindow(wnd)) return;
  auto instance = reinterpret_cast<WNDPROC>(GetWindowLongPtr(wnd, GWL_WNDPROC));
  // The window goes with DefWindowProc: the object behind the instance may be going too.
  SetWindowLongPtr(wnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcValue()));
  DestroyWindow(wnd);
  FreeObjectInstance(instance);
}
