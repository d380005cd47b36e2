// Lists, string lists, persistent objects and the component model (ownership, names,
// notifications, destruction order), plus object-bound window procedures.
#pragma once

#include <functional>
#include <vector>

#include "../win/Windows.h"
#include "SysUtils.h"
#include "System.h"
#include "TypInfo.h"

// ---- TList -------------------------------------------------------------------------------
// A list of untyped references; index errors raise EListError with the bad index.
class TList : public TObject {
  DECLARE_CLASS(TList, TObject)
 public:
  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  void* Get(Integer index) const;
  void Put(Integer index, void* item);
  Integer Add(void* item);
  void Insert(Integer index, void* item);
  void Delete(Integer index);
  Integer Remove(void* item);  // index it had, or -1
  Integer IndexOf(const void* item) const;
  void Clear() { FItems.clear(); }
  void* First() const { return Get(0); }
  void* Last() const { return Get(GetCount() - 1); }
  void Exchange(Integer a, Integer b);
  void Move(Integer from, Integer to);
  void SetCapacity(Integer capacity);
  Integer GetCapacity() const { return static_cast<Integer>(FItems.capacity()); }

  [[noreturn]] static void Error(const char* fmt, Integer value);

 protected:
  std::vector<void*> FItems;
};

// A TList whose items are T*; the same list underneath, typed at the surface.
template <class T>
class TListOf : public TList {
 public:
  T* Get(Integer index) const { return static_cast<T*>(TList::Get(index)); }
  T* operator[](Integer index) const { return Get(index); }
  Integer Add(T* item) { return TList::Add(item); }
  Integer Remove(T* item) { return TList::Remove(item); }
  Integer IndexOf(const T* item) const { return TList::IndexOf(item); }
  T* First() const { return static_cast<T*>(TList::First()); }
  T* Last() const { return static_cast<T*>(TList::Last()); }
};

// ---- TPersistent / TStringList -------------------------------------------------------------
class TFiler;
class TReader;
class TWriter;

class TPersistent : public TObject {
  DECLARE_CLASS(TPersistent, TObject)
 public:
  // Properties the class stores itself besides its published ones (Filer.h).
  virtual void DefineProperties(TFiler*) {}
};

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
DECLARE_ENUM_INFO(TAlignment)

// A list of strings with attached objects. Comparison is case-insensitive; a sorted list
// keeps its order on Add and rejects positional changes.
class TStringList : public TPersistent {
  DECLARE_CLASS(TStringList, TPersistent)
 public:
  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  String Get(Integer index) const;
  void Put(Integer index, const String& s);
  TObject* GetObject(Integer index) const;
  void PutObject(Integer index, TObject* obj);
  String operator[](Integer index) const { return Get(index); }

  Integer Add(const String& s) { return AddObject(s, nullptr); }
  Integer AddObject(const String& s, TObject* obj);
  void Insert(Integer index, const String& s) { InsertObject(index, s, nullptr); }
  void InsertObject(Integer index, const String& s, TObject* obj);
  void Delete(Integer index);
  void Clear();
  Integer IndexOf(const String& s) const;
  bool Find(const String& s, Integer& index) const;
  void Sort();
  void Exchange(Integer a, Integer b);

  bool GetSorted() const { return FSorted; }
  void SetSorted(bool value);
  TDuplicates GetDuplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates d) { FDuplicates = d; }

  String GetText() const;
  void SetText(const String& text);
  void AddStrings(const TStringList* other);
  void Assign(const TStringList* other);
  void BeginUpdate();
  void EndUpdate();

  bool LoadFromFile(const String& fileName);  // raises EInOutError when unreadable
  void SaveToFile(const String& fileName) const;

  // A form file keeps the strings as "Strings = ( ... )".
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void ReadData(TReader* Reader);
  void WriteData(TWriter* Writer);
  void Changing();
  void Changed();
  [[noreturn]] static void Error(const char* fmt, Integer value);

 private:
  struct TItem {
    String S;
    TObject* Obj;
  };
  std::vector<TItem> FItems;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  int FUpdateCount = 0;
};

// ---- TComponent ----------------------------------------------------------------------------
enum TOperation : uint8_t { opInsert, opRemove };
enum TComponentStateItem : uint8_t { csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups };
using TComponentState = TSet<TComponentStateItem>;

class TComponent;
using TGetChildProc = TMethod<void(TComponent* Child)>;

// A component belongs to its owner, which frees it; names are unique per owner (compared
// without regard to case); the owner tells all its components when one comes or goes.
class TComponent : public TPersistent {
  DECLARE_CLASS(TComponent, TPersistent)
 public:
  explicit TComponent(TComponent* AOwner);
  void Destroy() override;

  TComponent* GetOwner() const { return FOwner; }
  const String& GetName() const { return FName; }
  void SetName(const String& name);
  Integer GetComponentCount() const { return FComponents ? FComponents->GetCount() : 0; }
  TComponent* GetComponent(Integer index) const;
  Integer GetComponentIndex() const;
  TComponent* FindComponent(const String& name) const;
  TComponentState GetComponentState() const { return FComponentState; }
  bool Destroying() const { return FComponentState.Contains(csDestroying); }
  Integer Tag = 0;

  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  void DestroyComponents();
  void MarkDestroying();  // the original's Destroying: sets csDestroying down the ownership tree
  void FreeNotification(TComponent* c);
  void RemoveFreeNotification(TComponent* c);

  // ---- streaming ----
  // Reads the component's properties and then its children from a form stream.
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);
  // The components a form stream stores inside this one, in stream order; Root owns them.
  virtual void GetChildren(TGetChildProc, TComponent* /*Root*/) {}
  // Who owns and who is parent of the children read inside this component: the root and
  // this component, unless a class says otherwise.
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }
  // Whether the component has a parent besides its owner (a control has its parent control).
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent*) {}

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* c, const String& curName, const String& newName);
  virtual void SetChildOrder(TComponent*, Integer) {}
  void SetComponentStateFlag(TComponentStateItem item, bool on);
  // Called once the whole stream the component came from has been read and its references
  // resolved; ends csLoading.
  virtual void Loaded();
  // Points the owner's published field of this component's name at it (or clears it).
  void SetReference(bool Enable);

  friend class TReader;
  friend class TWriter;
  friend bool InitInheritedComponent(TComponent* Instance, const TClass* RootAncestor);

  // A constructor that raised leaves no dangling entry in its owner: the base part of the
  // destruction runs here when Free() never did.
  ~TComponent() override;

 private:
  void Insert(TComponent* c);
  void Remove(TComponent* c);
  void RemoveNotification(TComponent* c);
  TComponent* FOwner = nullptr;
  String FName;
  TListOf<TComponent>* FComponents = nullptr;
  TListOf<TComponent>* FFreeNotifies = nullptr;
  TComponentState FComponentState;
};

using TComponentClass = const TClass*;

// ---- TCollection -----------------------------------------------------------------------------
class TCollection;

// An item of a collection: a persistent with published properties that a form file keeps
// inside "< item ... end >".
class TCollectionItem : public TPersistent {
  DECLARE_CLASS(TCollectionItem, TPersistent)
 public:
  explicit TCollectionItem(TCollection* Collection);
  void Destroy() override;
  TCollection* GetCollection() const { return FCollection; }
  Integer GetIndex() const;

 protected:
  ~TCollectionItem() override;

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
};

// A list of items of one class that owns them.
class TCollection : public TPersistent {
  DECLARE_CLASS(TCollection, TPersistent)
 public:
  using TNewItem = TCollectionItem* (*)(TCollection* Collection);
  // NewItem makes an item of ItemClass in the collection: COLLECTION_ITEM(TMyItem).
  TCollection(const TClass* ItemClass, TNewItem NewItem) : FItemClass(ItemClass), FNewItem(NewItem) {}
  void Destroy() override;

  const TClass* GetItemClass() const { return FItemClass; }
  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  TCollectionItem* GetItem(Integer Index) const;
  TCollectionItem* Add() { return FNewItem(this); }
  void Clear();

 private:
  friend class TCollectionItem;
  const TClass* FItemClass;
  TNewItem FNewItem;
  std::vector<TCollectionItem*> FItems;
};

#define COLLECTION_ITEM(ItemCls) [](TCollection* c) -> TCollectionItem* { return new ItemCls(c); }

// ---- object-bound window procedures -----------------------------------------------------
using TWndMethod = TMethod<void(TMessage&)>;
// Makes a window-procedure value that calls `method` with the message record and returns
// its Result; released with FreeObjectInstance.
WNDPROC MakeObjectInstance(TWndMethod method);
void FreeObjectInstance(WNDPROC instance);
int GetObjectInstanceCount();
// A hidden window whose messages go to `method`, for components without a window of their
// own (a timer); DeallocateHWnd destroys it and releases its procedure.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND wnd);
