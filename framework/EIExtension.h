// Extensions: component classes a client registers with the framework, created for the IDE
// or for every editor window, which receive routed commands.
#pragma once

#include "platform/vcl/Classes.h"

enum TEIExtensionType : uint8_t { etNone, etEditor, etIDE, etRegisterOnly };

class TEIExtension;

// A command: optionally "<extension name>.<command>", with a free integer and object.
class TEIExtensionMessage : public TObject {
  DECLARE_CLASS(TEIExtensionMessage, TObject)
 public:
  explicit TEIExtensionMessage(TObject* ASender) : Sender(ASender) {}
  TEIExtensionMessage(TObject* ASender, const String& ACommand) : Sender(ASender), Command(ACommand) {}
  TEIExtensionMessage(TObject* ASender, const String& ACommand, Integer AParam, TObject* AData)
      : Sender(ASender), Command(ACommand), Param(AParam), Data(AData) {}

  TObject* Sender = nullptr;
  String Command;
  Integer Param = 0;
  TObject* Data = nullptr;
};

// The class reference of an extension class: its descriptor with the class operations,
// callable without an instance.
constexpr uint8_t dkEIExtension = 0xE1;

struct TEIExtensionClassInfo : TClass {
  TEIExtensionType (*ExtensionType)();
  String (*ExtensionName)();
  Cardinal (*ExtensionFlags)();
};
using TEIExtensionClass = const TEIExtensionClassInfo*;

// The extension descriptor of `cls`, or null when it is not an extension class.
TEIExtensionClass AsExtensionClass(const TClass* cls);

// Declares an extension class: its descriptor carries the class operations in force for it.
#define DECLARE_EXTENSION_CLASS(Cls, ParentCls)                                  \
 public:                                                                         \
  using inherited = ParentCls;                                                   \
  static const TEIExtensionClassInfo ClassInfo;                                  \
  static const TClass* StaticClass() { return &Cls::ClassInfo; }                \
  const TClass* ClassType() const override { return &Cls::ClassInfo; }           \
                                                                                 \
 private:

#define IMPLEMENT_EXTENSION_CLASS(Cls, ParentCls)                                                   \
  const TEIExtensionClassInfo Cls::ClassInfo{                                                       \
      {#Cls, &ParentCls::ClassInfo, [](TComponent* o) -> TComponent* { return new Cls(o); }, nullptr, 0, dkEIExtension}, \
      &Cls::ExtensionType, &Cls::ExtensionName, &Cls::ExtensionFlags};

class TEIExtension : public TComponent {
  DECLARE_EXTENSION_CLASS(TEIExtension, TComponent)
 public:
  explicit TEIExtension(TComponent* AOwner) : TComponent(AOwner) {}

  virtual Integer GetCommandCount() { return 0; }
  virtual String GetCommands(Integer) { return String(); }
  virtual Cardinal GetCommandFlags(Integer) { return 0; }
  // Class operations: each class that means something else declares its own.
  static TEIExtensionType ExtensionType() { return etNone; }
  static String ExtensionName() { return String(); }
  static Cardinal ExtensionFlags() { return 0; }
  // Handles a command; returns True when it did. It may substitute another message object
  // for the rest of the routing call. The framework owns no message: whoever makes a
  // substitute keeps it alive until the routing call returns and frees it; the caller's own
  // message is never freed or replaced.
  virtual bool ExecuteCommand(TEIExtensionMessage*& Message);

  TEIExtensionClass ExtensionClass() const { return static_cast<TEIExtensionClass>(ClassType()); }
};

// Registers an extension class with the IDE-wide manager, installing it if needed.
void RegisterEIExtensionClass(const TClass* ExtensionClass);
