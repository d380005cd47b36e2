// The list box and the drop-down list combo box of the standard controls, as plain as a
// dialog needs them: a list of strings with one selected, used by mouse and keyboard.
#pragma once

#include <vector>

#include "Controls.h"

// A sunken white list, one line an item, the selected item highlighted and a focus rectangle
// round it while focused. A press selects the item under the mouse, a double-click fires
// OnDblClick; Up, Down, Home, End, Page Up and Page Down move the selection and a letter goes
// to the next item that starts with it. Each change of selection by the person fires OnClick;
// assigning ItemIndex does not. The list scrolls to keep the selection in view.
class TListBox : public TCustomControl {
  DECLARE_CLASS(TListBox, TCustomControl)
 public:
  explicit TListBox(TComponent* AOwner);

  const std::vector<String>& GetItems() const { return FItems; }
  void SetItems(std::vector<String> Items);  // the selection goes, the list scrolls to its top
  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  Integer GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer v);
  Integer GetTopIndex() const { return FTopIndex; }
  void SetTopIndex(Integer v);
  Integer GetItemHeight() const { return FItemHeight; }
  // The item at a client point, or -1.
  Integer ItemAtPos(TPoint p) const;
  TRect ItemRect(Integer index) const;
  Integer VisibleRows() const;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  // Draws one item in Rect; a descendant adds a picture.
  virtual void DrawItem(Integer Index, TRect Rect, bool Selected);
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // The person moved the selection: select, scroll to it, OnClick.
  void SelectByUser(Integer Index);

 private:
  std::vector<String> FItems;
  Integer FItemIndex = -1;
  Integer FTopIndex = 0;
  Integer FItemHeight = 13;
};

// A drop-down list: the selected item in a sunken field with the drop button at its right.
// Up and Down choose the previous or next item at once; a click, Alt+Down or F4 drops the
// list below the field (above it when the form has no room below), where a click or Enter
// chooses and Escape closes it unchanged. Each choice by the person that changes ItemIndex
// fires OnChange.
class TComboBox : public TCustomControl {
  DECLARE_CLASS(TComboBox, TCustomControl)
 public:
  explicit TComboBox(TComponent* AOwner);
  const std::vector<String>& GetItems() const { return FItems; }
  void SetItems(std::vector<String> Items);
  Integer GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer v);
  bool GetDroppedDown() const;
  void SetDroppedDown(bool v);

  void Dispatch(TMessage& Message) override;
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Choose(Integer Index);
  void CloseUp(bool Accept);
  void DropListKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void DropListClick(TObject* Sender);
  void DropListExit(TObject* Sender);
  std::vector<String> FItems;
  Integer FItemIndex = -1;
  TListBox* FDropList = nullptr;
};
