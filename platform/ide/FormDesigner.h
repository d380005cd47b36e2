// The IDE's form designer as tools meet it: a unit's form read from its form file into the
// tree of components the file describes, none of their classes made, in a window of its own.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/vcl/Forms.h"

// A component as its form file describes it. Properties keep the file's order and names
// ("Font.Name" for a property of the component's font). A string value is its characters;
// every other value is the text a text form file holds after "Name = ": integers in decimal,
// enumerations, colours, booleans, references and events as their identifiers, sets as
// "[akLeft, akTop]", floats as "8.25" (a single "8.25s", a currency "82500c", a date
// "36526.5d"), and lists, binary data and collections in their "( )", "{ }" and "< >" forms.
struct TFormFileComponent {
  String ClassName, Name;
  bool Inline = false;  // a frame: the components inside are its own, not the form's
  std::vector<std::pair<String, String>> Properties;
  std::vector<TFormFileComponent> Components;

  // "Name" gives the component's name; any other property its value when the file stores it
  // (the last one stored, as reading sets each in turn). False when the file does not store
  // it: a form file keeps only what differs from the class's defaults.
  bool FindProperty(const String& PropName, String& Value) const;
  // This component by its name, or one inside it (not inside a frame), first in the file's
  // order; names compared without regard to case.
  const TFormFileComponent* FindComponent(const String& ComponentName) const;
};

// The components of a form file's data: binary ("TPF0", after a resource header or bare) or
// text. Raises EReadError or EParserError for data that is neither or is damaged.
std::shared_ptr<const TFormFileComponent> ReadFormData(const String& Data);

// The designer of one form: its tree, as last read from the form file, and the window that
// shows it, captioned and placed as the form was designed.
class TFormDesigner : public TForm {
  DECLARE_CLASS(TFormDesigner, TForm)
 public:
  explicit TFormDesigner(TComponent* AOwner) : TForm(AOwner) {}
  // A designer of the form in FileName, hidden; raises as ReadFormData, or EFOpenError when
  // the file cannot be opened, before any window is made.
  static TFormDesigner* Open(TComponent* AOwner, const String& FileName);

  const String& GetFileName() const { return FFileName; }
  // The form as read; its components stay valid as long as a holder keeps the pointer.
  const std::shared_ptr<const TFormFileComponent>& GetRoot() const { return FRoot; }
  // The form's name as its file gives it ("Form1").
  const String& GetFormName() const { return FRoot->Name; }
  // Reads the form file again when it changed on disk since it was last read, the way the
  // designer takes up a form another tool rewrote when the form comes to the front. On an
  // error the form stays as it was and the error is raised.
  void Refresh();

 private:
  void Take(String Data, std::shared_ptr<const TFormFileComponent> Root);
  String FFileName;
  String FData;  // the file's bytes as last read
  std::shared_ptr<const TFormFileComponent> FRoot;
};
