// The module, editor, view, reader, writer, form and component interface objects over the
// IDE's open modules and forms.
#include "EditIntf.h"

#include <algorithm>
#include <cstring>

#include "ComponentLink.h"
#include "IDEModules.h"

IMPLEMENT_CLASS(TIEditReader, TInterface)
IMPLEMENT_CLASS(TIEditWriter, TInterface)
IMPLEMENT_CLASS(TIEditView, TInterface)
IMPLEMENT_CLASS(TIEditorInterface, TInterface)
IMPLEMENT_CLASS(TIComponentInterface, TInterface)
IMPLEMENT_CLASS(TIFormInterface, TInterface)
IMPLEMENT_CLASS(TIModuleInterface, TInterface)

namespace {

SmallInt ToSmallInt(LongInt v) {
  return static_cast<SmallInt>(std::clamp<LongInt>(v, INT16_MIN, INT16_MAX));
}

// Every object over a module refers to it through a link: once the file is closed, the
// object answers with empty results instead of reaching a freed module.
template <class Base>
class TModuleObject : public Base {
 public:
  explicit TModuleObject(TIDEModule* module) : FLink(new TComponentLink(module)) {}
  void Destroy() override {
    FreeAndNil(FLink);
    Base::Destroy();
  }

 protected:
  TIDEModule* Module() const { return FLink->GetAs<TIDEModule>(); }
  TEditControl* Control() const { return Module() ? Module()->GetEditControl() : nullptr; }

 private:
  TComponentLink* FLink;
};

class TIDEEditReader : public TModuleObject<TIEditReader> {
 public:
  using TModuleObject::TModuleObject;
  LongInt GetText(LongInt Offset, char* Buffer, LongInt Count) override {
    CheckInterfaceFault("TIEditReader.GetText");
    TEditBuffer* buffer = Module() ? Module()->GetBuffer() : nullptr;
    return buffer ? buffer->Read(Offset, Buffer, Count) : 0;
  }
};

// Collects its edits in the buffer's offsets as they were when it was created, and makes
// them one undo step when the last reference goes. The buffer is held meanwhile, so nobody
// else changes it; a buffer that changed anyway (it was loaded again) drops the edits, which
// would land in the wrong places.
class TIDEEditWriter : public TModuleObject<TIEditWriter> {
 public:
  explicit TIDEEditWriter(TIDEModule* module) : TModuleObject(module) {
    TEditBuffer* buffer = module->GetBuffer();
    buffer->SetLocked(true);
    FSerial = buffer->GetSerial();
  }
  void Destroy() override {
    if (TEditBuffer* buffer = Buffer()) {
      buffer->SetLocked(false);
      if (!FEdits.empty() && buffer->GetSerial() == FSerial) Module()->ApplyEdits(FEdits);
    }
    TModuleObject::Destroy();
  }

  bool CopyTo(LongInt Pos) override {
    CheckInterfaceFault("TIEditWriter.CopyTo");
    return Advance(Pos);
  }
  bool DeleteTo(LongInt Pos) override {
    CheckInterfaceFault("TIEditWriter.DeleteTo");
    LongInt from = FPos;
    if (!Advance(Pos)) return false;
    if (FPos > from) Here(from).Count += FPos - from;
    return true;
  }
  bool Insert(const char* Text) override {
    CheckInterfaceFault("TIEditWriter.Insert");
    if (!Buffer() || !Text) return false;
    Here(FPos).Text += Text;
    return true;
  }
  LongInt Position() override {
    CheckInterfaceFault("TIEditWriter.Position");
    return FPos;
  }

 private:
  TEditBuffer* Buffer() const { return Module() ? Module()->GetBuffer() : nullptr; }
  // Moves to Pos, clamped to the end and out of a line break; false when the file is gone
  // or Pos lies behind the writer.
  bool Advance(LongInt Pos) {
    TEditBuffer* buffer = Buffer();
    if (!buffer || Pos < FPos) return false;
    FPos = std::max(FPos, buffer->Snap(Pos));
    return true;
  }
  // The edit that ends at From: the last one when it does, else a new one there.
  TBufferEdit& Here(LongInt From) {
    if (FEdits.empty() || FEdits.back().Offset + FEdits.back().Count != From) FEdits.push_back({From, 0, String()});
    return FEdits.back();
  }
  std::vector<TBufferEdit> FEdits;
  LongInt FPos = 0;
  uint64_t FSerial = 0;
};

// Columns become indexes with the editor's tab stops. A position past the end of its line
// or past the last line is kept as a virtual one, so converting back gives the same column;
// CharPosToPos maps it to the line's or the buffer's end.
class TIDEEditView : public TModuleObject<TIEditView> {
 public:
  using TModuleObject::TModuleObject;
  TEditPos GetPos(Integer Index) override {
    CheckInterfaceFault("TIEditView.GetPos");
    TEditControl* c = Control();
    if (!c) return {};
    if (Index == 0) return {ToSmallInt(c->GetCaretX()), c->GetCaretY()};
    if (Index == 1) return {ToSmallInt(c->GetLeftCol()), c->GetTopLine()};
    return {};
  }
  // The cursor's line is kept within the buffer and its column at 1 or more; the view then
  // scrolls to show it.
  void SetPos(Integer Index, TEditPos Value) override {
    CheckInterfaceFault("TIEditView.SetPos");
    TEditControl* c = Control();
    if (!c) return;
    if (Index == 0) {
      c->SetCaretY(Value.Line);
      c->SetCaretX(Value.Col);
    } else if (Index == 1) {
      c->SetTopLine(Value.Line);
      c->SetLeftCol(Value.Col);
    }
  }
  void ConvertPos(bool EdPosToCharPos, TEditPos& EditPos, TCharPos& CharPos) override {
    CheckInterfaceFault("TIEditView.ConvertPos");
    TEditBuffer* buffer = Module() ? Module()->GetBuffer() : nullptr;
    if (!buffer) return;
    if (EdPosToCharPos) {
      CharPos.CharIndex = ToSmallInt(buffer->ColumnToIndex(EditPos.Line, EditPos.Col));
      CharPos.Line = EditPos.Line;
    } else {
      EditPos.Col = ToSmallInt(buffer->IndexToColumn(CharPos.Line, CharPos.CharIndex));
      EditPos.Line = CharPos.Line;
    }
  }
  LongInt CharPosToPos(TCharPos CharPos) override {
    CheckInterfaceFault("TIEditView.CharPosToPos");
    TEditBuffer* buffer = Module() ? Module()->GetBuffer() : nullptr;
    return buffer ? buffer->CharPosToPos(CharPos.Line, CharPos.CharIndex) : -1;
  }
};

class TIDEEditorInterface : public TModuleObject<TIEditorInterface> {
 public:
  using TModuleObject::TModuleObject;
  String FileName() override {
    CheckInterfaceFault("TIEditorInterface.FileName");
    return Module() ? Module()->GetFileName() : String();
  }
  LongInt LinesInBuffer() override {
    CheckInterfaceFault("TIEditorInterface.LinesInBuffer");
    return Module() ? Module()->GetLineCount() : 0;
  }
  Integer GetViewCount() override {
    CheckInterfaceFault("TIEditorInterface.GetViewCount");
    return Module() && Module()->HasView() ? 1 : 0;
  }
  TIEditView* GetView(Integer Index) override {
    CheckInterfaceFault("TIEditorInterface.GetView");
    return Index == 0 && Module() && Module()->HasView() ? new TIDEEditView(Module()) : nullptr;
  }
  TIEditReader* CreateReader() override {
    CheckInterfaceFault("TIEditorInterface.CreateReader");
    return Module() ? new TIDEEditReader(Module()) : nullptr;
  }
  // One writer at a time: while one is collecting its edits there is none for another.
  TIEditWriter* CreateUndoableWriter() override {
    CheckInterfaceFault("TIEditorInterface.CreateUndoableWriter");
    return Module() && !Module()->GetBuffer()->GetLocked() ? new TIDEEditWriter(Module()) : nullptr;
  }
};

// A component of a designer's form as last read. Once the form is read again or its module
// closed, the component it stood for is gone and the object answers empty.
class TIDEComponentInterface : public TIComponentInterface {
 public:
  TIDEComponentInterface(TFormDesigner* designer, const TFormFileComponent* component)
      : FLink(new TComponentLink(designer)), FRoot(designer->GetRoot()), FComponent(component) {}
  void Destroy() override {
    FreeAndNil(FLink);
    FRoot.reset();
    TIComponentInterface::Destroy();
  }
  String GetComponentType() override {
    CheckInterfaceFault("TIComponentInterface.GetComponentType");
    return Component() ? Component()->ClassName : String();
  }
  bool GetPropValueByName(const String& Name, String& Value) override {
    CheckInterfaceFault("TIComponentInterface.GetPropValueByName");
    return Component() && Component()->FindProperty(Name, Value);
  }

 private:
  const TFormFileComponent* Component() const {
    auto* designer = FLink->GetAs<TFormDesigner>();
    return designer && designer->GetRoot() == FRoot ? FComponent : nullptr;
  }
  TComponentLink* FLink;
  std::shared_ptr<const TFormFileComponent> FRoot;  // keeps FComponent's tree alive
  const TFormFileComponent* FComponent;
};

// The form of a module, as its designer holds it now.
class TIDEFormInterface : public TIFormInterface {
 public:
  explicit TIDEFormInterface(TFormDesigner* designer) : FLink(new TComponentLink(designer)) {}
  void Destroy() override {
    FreeAndNil(FLink);
    TIFormInterface::Destroy();
  }
  TIComponentInterface* GetFormComponent() override {
    CheckInterfaceFault("TIFormInterface.GetFormComponent");
    TFormDesigner* designer = Designer();
    return designer ? new TIDEComponentInterface(designer, designer->GetRoot().get()) : nullptr;
  }
  TIComponentInterface* FindComponent(const String& Name) override {
    CheckInterfaceFault("TIFormInterface.FindComponent");
    TFormDesigner* designer = Designer();
    const TFormFileComponent* c = designer ? designer->GetRoot()->FindComponent(Name) : nullptr;
    return c ? new TIDEComponentInterface(designer, c) : nullptr;
  }

 private:
  TFormDesigner* Designer() const { return FLink->GetAs<TFormDesigner>(); }
  TComponentLink* FLink;
};

class TIDEModuleInterface : public TModuleObject<TIModuleInterface> {
 public:
  using TModuleObject::TModuleObject;
  TIEditorInterface* GetEditorInterface() override {
    CheckInterfaceFault("TIModuleInterface.GetEditorInterface");
    return Module() ? new TIDEEditorInterface(Module()) : nullptr;
  }
  TIFormInterface* GetFormInterface() override {
    CheckInterfaceFault("TIModuleInterface.GetFormInterface");
    return Module() && Module()->GetDesigner() ? new TIDEFormInterface(Module()->GetDesigner()) : nullptr;
  }
  bool ShowSource() override {
    CheckInterfaceFault("TIModuleInterface.ShowSource");
    return Module() && Module()->ShowSource();
  }
  bool ShowForm() override {
    CheckInterfaceFault("TIModuleInterface.ShowForm");
    return Module() && Module()->ShowForm();
  }
};

}  // namespace

TIModuleInterface* NewModuleInterface(TIDEModule* Module) {
  return Module ? new TIDEModuleInterface(Module) : nullptr;
}
