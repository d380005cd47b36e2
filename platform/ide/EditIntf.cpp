// The module, editor, view, reader, writer, form and component interface objects over the
// IDE's open modules and forms.
#include "EditIntf.h"

#include <algorithm>
#include <cstring>

#include "ComponentLink.h"
#include "IDEModules.h"
#include "platform/vcl/TypInfo.h"

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
    if (!Module() || !Buffer || Offset < 0 || Count <= 0) return 0;
    String text = Module()->GetText();
    if (static_cast<size_t>(Offset) >= text.size()) return 0;
    size_t n = std::min(text.size() - static_cast<size_t>(Offset), static_cast<size_t>(Count));
    std::memcpy(Buffer, text.data() + Offset, n);
    return static_cast<LongInt>(n);
  }
};

// FPos is the writer's place in the buffer as it was at creation; the live buffer has moved
// by FDelta there, everything behind the writer being already written.
class TIDEEditWriter : public TModuleObject<TIEditWriter> {
 public:
  using TModuleObject::TModuleObject;

  // Keeping text changes nothing, so it makes no undo step.
  bool CopyTo(LongInt Pos) override {
    CheckInterfaceFault("TIEditWriter.CopyTo");
    LongInt live;
    if (!Advance(Pos, live)) return false;
    FPos = live - FDelta;
    return true;
  }
  bool DeleteTo(LongInt Pos) override {
    CheckInterfaceFault("TIEditWriter.DeleteTo");
    LongInt live;
    if (!Advance(Pos, live)) return false;
    LongInt here = FPos + FDelta;
    LongInt end = live - FDelta;
    Module()->Replace(here, live - here, String());
    FDelta -= live - here;
    FPos = end;
    return true;
  }
  bool Insert(const char* Text) override {
    CheckInterfaceFault("TIEditWriter.Insert");
    if (!Module() || !Text) return false;
    FDelta += Module()->Replace(FPos + FDelta, 0, Text);
    return true;
  }
  LongInt Position() override {
    CheckInterfaceFault("TIEditWriter.Position");
    return FPos;
  }

 private:
  // The live offset of original position Pos, clamped to the end and out of a line break;
  // false when the module is gone or Pos lies behind the writer.
  bool Advance(LongInt Pos, LongInt& live) {
    if (!Module() || Pos < FPos) return false;
    live = Module()->SnapOffset(Pos + FDelta);
    return true;
  }
  LongInt FPos = 0;
  LongInt FDelta = 0;
};

// A position past the end of its line or past the last line is kept as it is: the cursor
// may stand there, as in an editor that lets it go beyond the end of a line; CharPosToPos
// maps it to the line's or the buffer's end.
class TIDEEditView : public TModuleObject<TIEditView> {
 public:
  using TModuleObject::TModuleObject;
  TEditPos GetPos(Integer Index) override {
    CheckInterfaceFault("TIEditView.GetPos");
    TEditControl* c = Control();
    if (!c) return {};
    if (Index == 0) return {ToSmallInt(c->GetCaretX()), c->GetCaretY()};
    if (Index == 1) return {1, c->GetTopLine()};
    return {};
  }
  // The cursor's line is kept within the buffer and its column at 1 or more.
  void SetPos(Integer Index, TEditPos Value) override {
    CheckInterfaceFault("TIEditView.SetPos");
    TEditControl* c = Control();
    if (!c) return;
    if (Index == 0) {
      c->SetCaretX(Value.Col);
      c->SetCaretY(Value.Line);
    } else if (Index == 1) {
      c->SetTopLine(Value.Line);
    }
  }
  void ConvertPos(bool EdPosToCharPos, TEditPos& EditPos, TCharPos& CharPos) override {
    CheckInterfaceFault("TIEditView.ConvertPos");
    if (EdPosToCharPos) {
      CharPos.CharIndex = ToSmallInt(EditPos.Col - 1);
      CharPos.Line = EditPos.Line;
    } else {
      EditPos.Col = ToSmallInt(CharPos.CharIndex + 1);
      EditPos.Line = CharPos.Line;
    }
  }
  LongInt CharPosToPos(TCharPos CharPos) override {
    CheckInterfaceFault("TIEditView.CharPosToPos");
    return Module() ? Module()->CharPosToOffset(CharPos.Line, CharPos.CharIndex) : -1;
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
    return Control() ? new TIDEEditReader(Module()) : nullptr;
  }
  TIEditWriter* CreateUndoableWriter() override {
    CheckInterfaceFault("TIEditorInterface.CreateUndoableWriter");
    return Control() ? new TIDEEditWriter(Module()) : nullptr;
  }
};

class TIDEComponentInterface : public TIComponentInterface {
 public:
  explicit TIDEComponentInterface(TComponent* c) : FLink(new TComponentLink(c)) {}
  void Destroy() override {
    FreeAndNil(FLink);
    TIComponentInterface::Destroy();
  }
  String GetComponentType() override {
    CheckInterfaceFault("TIComponentInterface.GetComponentType");
    return FLink->Get() ? FLink->Get()->ClassName() : String();
  }
  bool GetPropValueByName(const String& Name, String& Value) override {
    CheckInterfaceFault("TIComponentInterface.GetPropValueByName");
    TComponent* c = FLink->Get();
    PPropInfo info = GetPropInfo(c, Name);
    if (!info) return false;
    try {
      Value = GetStrProp(c, info);
    } catch (const EPropertyError&) {
      return false;
    }
    return true;
  }

 private:
  TComponentLink* FLink;
};

class TIDEFormInterface : public TIFormInterface {
 public:
  explicit TIDEFormInterface(TForm* form) : FLink(new TComponentLink(form)) {}
  void Destroy() override {
    FreeAndNil(FLink);
    TIFormInterface::Destroy();
  }
  TIComponentInterface* GetFormComponent() override {
    CheckInterfaceFault("TIFormInterface.GetFormComponent");
    return FLink->Get() ? new TIDEComponentInterface(FLink->Get()) : nullptr;
  }
  TIComponentInterface* FindComponent(const String& Name) override {
    CheckInterfaceFault("TIFormInterface.FindComponent");
    TComponent* form = FLink->Get();
    if (!form || Name.empty()) return nullptr;
    TComponent* c = SameText(form->GetName(), Name) ? form : form->FindComponent(Name);
    return c ? new TIDEComponentInterface(c) : nullptr;
  }

 private:
  TComponentLink* FLink;
};

class TIDEModuleInterface : public TModuleObject<TIModuleInterface> {
 public:
  using TModuleObject::TModuleObject;
  TIEditorInterface* GetEditorInterface() override {
    CheckInterfaceFault("TIModuleInterface.GetEditorInterface");
    return Control() ? new TIDEEditorInterface(Module()) : nullptr;
  }
  TIFormInterface* GetFormInterface() override {
    CheckInterfaceFault("TIModuleInterface.GetFormInterface");
    return Module() && Module()->GetForm() ? new TIDEFormInterface(Module()->GetForm()) : nullptr;
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
