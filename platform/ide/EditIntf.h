// The IDE's module, editor, view, reader, writer, form and component interfaces, as add-ins
// see them: abstract classes the running IDE implements.
//
// The editor buffer behind them is 8-bit text in the system code page, bytes kept as they
// are; CR LF, a lone CR and a lone LF each end a line. Offsets count bytes from 0. Editor
// columns expand tabs to the editor's tab stops (EditorOptions, every 8 columns by default).
#pragma once

#include "VirtIntf.h"

using SmallInt = int16_t;

// An editor position: column and line, both counted from 1.
struct TEditPos {
  SmallInt Col = 0;
  LongInt Line = 0;
  friend bool operator==(const TEditPos&, const TEditPos&) = default;
};
// A position in the buffer's characters: the index within the line, counted from 0, and the
// line, counted from 1.
struct TCharPos {
  SmallInt CharIndex = 0;
  LongInt Line = 0;
  friend bool operator==(const TCharPos&, const TCharPos&) = default;
};

class TIEditorInterface;
class TIFormInterface;
class TIComponentInterface;

class TIEditReader : public TInterface {
  DECLARE_CLASS(TIEditReader, TInterface)
 public:
  // Copies up to Count bytes from Offset into Buffer (no terminating zero); returns the
  // number copied, 0 at or past the end of the buffer.
  virtual LongInt GetText(LongInt Offset, char* Buffer, LongInt Count) = 0;
};

// Walks the buffer once from its start: CopyTo keeps the text up to Pos, DeleteTo removes
// it, Insert puts text at the writer's place. Positions are offsets in the buffer as it was
// when the writer was created and only move forward; a position behind the writer fails.
// The buffer does not change while the writer lives: its edits are made, as one undo step,
// when it is released.
class TIEditWriter : public TInterface {
  DECLARE_CLASS(TIEditWriter, TInterface)
 public:
  virtual bool CopyTo(LongInt Pos) = 0;
  virtual bool DeleteTo(LongInt Pos) = 0;
  virtual bool Insert(const char* Text) = 0;
  virtual LongInt Position() = 0;
};

class TIEditView : public TInterface {
  DECLARE_CLASS(TIEditView, TInterface)
 public:
  // Index 0 is the cursor, index 1 the top-left position of the view.
  virtual TEditPos GetPos(Integer Index) = 0;
  virtual void SetPos(Integer Index, TEditPos Value) = 0;
  // Editor position to character position (true) or back. A column inside a tab gives the
  // tab's index; past the end of a line, or on a line past the last, every column is one
  // more character, so the conversion goes both ways unchanged.
  virtual void ConvertPos(bool EdPosToCharPos, TEditPos& EditPos, TCharPos& CharPos) = 0;
  // The buffer offset of a character position: -1 before the buffer, the line's end for an
  // index past it, the buffer's end for a line past the last.
  virtual LongInt CharPosToPos(TCharPos CharPos) = 0;
};

class TIEditorInterface : public TInterface {
  DECLARE_CLASS(TIEditorInterface, TInterface)
 public:
  virtual String FileName() = 0;
  virtual LongInt LinesInBuffer() = 0;
  virtual Integer GetViewCount() = 0;
  virtual TIEditView* GetView(Integer Index) = 0;
  virtual TIEditReader* CreateReader() = 0;
  virtual TIEditWriter* CreateUndoableWriter() = 0;
};

class TIComponentInterface : public TInterface {
  DECLARE_CLASS(TIComponentInterface, TInterface)
 public:
  virtual String GetComponentType() = 0;
  // Writes the property's value, as the component's form file stores it, into Value and
  // returns true; Value is left as it was when the file does not store that property. A
  // string comes back as its characters, any other value as the text a text form file holds
  // for it (TFormFileComponent), so the caller's string never holds raw bytes.
  virtual bool GetPropValueByName(const String& Name, String& Value) = 0;
};

class TIFormInterface : public TInterface {
  DECLARE_CLASS(TIFormInterface, TInterface)
 public:
  virtual TIComponentInterface* GetFormComponent() = 0;
  // A component of the form by name, compared without regard to case (the form itself
  // answers to its own name), or null.
  virtual TIComponentInterface* FindComponent(const String& Name) = 0;
};

class TIModuleInterface : public TInterface {
  DECLARE_CLASS(TIModuleInterface, TInterface)
 public:
  virtual TIEditorInterface* GetEditorInterface() = 0;
  virtual TIFormInterface* GetFormInterface() = 0;
  virtual bool ShowSource() = 0;
  virtual bool ShowForm() = 0;
};

// ---- the IDE side ------------------------------------------------------------------------
class TIDEModule;
TIModuleInterface* NewModuleInterface(TIDEModule* Module);
