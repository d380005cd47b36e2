// Extension classes registered into an IDE with several editor windows: their instances,
// names and lifetimes, the registry's rules, command routing over both levels, message
// substitution, and the exceptions the framework raises.
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string_view>

#include "FrameworkFixture.h"

namespace {

// What the extensions received, handed to them as the command's Data.
class TCommandLog : public TObject {
  DECLARE_CLASS(TCommandLog, TObject)
 public:
  std::vector<std::string> Lines;  // "<class>@<IDE or window caption> <command>"
  std::vector<Integer> Params;     // the Param each of those saw
  std::vector<const TEIExtensionMessage*> Messages;  // the message object each of those saw
  int ForeignFrees = 0;            // extensions' reply messages freed by anybody but their maker

  void Clear() {
    Lines.clear();
    Params.clear();
    Messages.clear();
  }
};
IMPLEMENT_CLASS(TCommandLog, TObject)

// An extension's own reply message, which counts every free its maker did not ask for.
class TReplyMessage : public TEIExtensionMessage {
 public:
  TReplyMessage() : TEIExtensionMessage(nullptr) {}
  int* ForeignFrees = nullptr;
  void Destroy() override {
    if (ForeignFrees) ++*ForeignFrees;
    TEIExtensionMessage::Destroy();
  }
};

// Records every command it is offered and handles the ones it is given.
class TLoggingExtension : public TEIExtension {
  DECLARE_EXTENSION_CLASS(TLoggingExtension, TEIExtension)
 public:
  explicit TLoggingExtension(TComponent* AOwner) : TEIExtension(AOwner) {}

 protected:
  bool Handle(TEIExtensionMessage*& Message, std::initializer_list<std::string_view> handled) {
    if (auto* log = As<TCommandLog>(Message->Data)) {
      auto* m = As<TEIManager>(GetOwner());
      log->Lines.push_back(ClassName() + "@" + (m ? m->GetEditorForm()->GetCaption() : "IDE") + " " + Message->Command);
      log->Params.push_back(Message->Param);
      log->Messages.push_back(Message);
    }
    for (std::string_view c : handled)
      if (c == Message->Command) return true;
    return false;
  }
};
IMPLEMENT_EXTENSION_CLASS(TLoggingExtension, TEIExtension)

// Substitutes its reply message, Param raised by 100, for the rest of the routing call. The
// reply is made once, kept for every later command, and freed by the extension alone.
class TSwappingExtension : public TLoggingExtension {
  DECLARE_EXTENSION_CLASS(TSwappingExtension, TLoggingExtension)
 public:
  using TLoggingExtension::TLoggingExtension;
  void Destroy() override {
    if (FReply) FReply->ForeignFrees = nullptr;
    FreeAndNil(FReply);
    inherited::Destroy();
  }

 protected:
  bool Handle(TEIExtensionMessage*& Message, std::initializer_list<std::string_view> handled) {
    const bool result = TLoggingExtension::Handle(Message, handled);
    Substitute(Message);
    return result;
  }
  void Substitute(TEIExtensionMessage*& Message) {
    if (!FReply) FReply = new TReplyMessage();
    FReply->Sender = Message->Sender;
    FReply->Command = Message->Command;
    FReply->Param = Message->Param + 100;
    FReply->Data = Message->Data;
    if (auto* log = As<TCommandLog>(Message->Data)) FReply->ForeignFrees = &log->ForeignFrees;
    Message = FReply;
  }
  TReplyMessage* FReply = nullptr;
};
IMPLEMENT_EXTENSION_CLASS(TSwappingExtension, TLoggingExtension)

// Refuses every command by raising; "SwapFirst" makes it substitute its reply first.
class TThrowingExtension : public TSwappingExtension {
  DECLARE_EXTENSION_CLASS(TThrowingExtension, TSwappingExtension)
 public:
  using TSwappingExtension::TSwappingExtension;

 protected:
  bool Handle(TEIExtensionMessage*& Message, std::initializer_list<std::string_view> handled) {
    TLoggingExtension::Handle(Message, handled);
    if (Message->Command == "SwapFirst") Substitute(Message);
    throw Exception("refused");
  }
};
IMPLEMENT_EXTENSION_CLASS(TThrowingExtension, TSwappingExtension)

// An extension class of kind `Kind` whose behaviour comes from `Base`, handling the commands
// listed after the kind.
#define TEST_EXTENSION(Cls, Base, Kind, ...)                                                 \
  class Cls : public Base {                                                                  \
    DECLARE_EXTENSION_CLASS(Cls, Base)                                                       \
   public:                                                                                   \
    using Base::Base;                                                                        \
    static TEIExtensionType ExtensionType() { return Kind; }                                 \
    bool ExecuteCommand(TEIExtensionMessage*& Message) override { return Handle(Message, {__VA_ARGS__}); } \
  };                                                                                         \
  IMPLEMENT_EXTENSION_CLASS(Cls, Base)

TEST_EXTENSION(TNoneExtension, TLoggingExtension, etNone, "Run")
TEST_EXTENSION(TFooExtension, TLoggingExtension, etIDE, "Run")
TEST_EXTENSION(TQuxExtension, TLoggingExtension, etIDE, "Run", "Stop")
TEST_EXTENSION(TBarExtension, TLoggingExtension, etEditor, "Run", "Paint")
TEST_EXTENSION(TOnlyExtension, TLoggingExtension, etRegisterOnly, "Run")
// Names that differ from the ones above only in letter case, or lose their difference with
// the first letter: TTBarExtension's instance is named TBarExtension.
TEST_EXTENSION(TFOOEXTENSION, TLoggingExtension, etIDE, "Run")
TEST_EXTENSION(TBAREXTENSION, TLoggingExtension, etEditor, "Run")
TEST_EXTENSION(TTBarExtension, TLoggingExtension, etIDE, "Run")
TEST_EXTENSION(TSwapExtension, TSwappingExtension, etIDE)
TEST_EXTENSION(TSwapEditorExtension, TSwappingExtension, etEditor)
TEST_EXTENSION(TThrowExtension, TThrowingExtension, etEditor)
// Names that lose their identifier with their first letter.
TEST_EXTENSION(T1Ext, TLoggingExtension, etIDE, "Run")
TEST_EXTENSION(X, TLoggingExtension, etIDE, "Run")

// A class whose name is no identifier: a command could address it only up to its dot.
class TDottedExtension : public TLoggingExtension {
  DECLARE_EXTENSION_CLASS(TDottedExtension, TLoggingExtension)
 public:
  using TLoggingExtension::TLoggingExtension;
  static TEIExtensionType ExtensionType() { return etIDE; }
};
const TEIExtensionClassInfo TDottedExtension::ClassInfo{
    {"TMy.Extension", &TLoggingExtension::ClassInfo, [](TComponent* o) -> TComponent* { return new TDottedExtension(o); },
     nullptr, 0, dkEIExtension},
    &TDottedExtension::ExtensionType, &TDottedExtension::ExtensionName, &TDottedExtension::ExtensionFlags};

}  // namespace

// Another package's own class that carries the same class name as TFooExtension.
namespace other {
namespace {
TEST_EXTENSION(TFooExtension, TLoggingExtension, etIDE, "Run")
}
}  // namespace other

namespace {

// Records which components it was told are going away.
class TFreeWatch : public TComponent {
 public:
  TFreeWatch() : TComponent(nullptr) {}
  void Watch(TComponent* c) { c->FreeNotification(this); }
  bool WasFreed(const TComponent* c) const { return std::find(Freed.begin(), Freed.end(), c) != Freed.end(); }
  std::vector<const TComponent*> Freed;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    if (op == opRemove) Freed.push_back(c);
    TComponent::Notification(c, op);
  }
};

struct TFreeOnClose {
  void Close(TObject*, TCloseAction& Action) { Action = caFree; }
};

class ExtensionTest : public TFrameworkFixture {
 protected:
  void SetUp() override {
    TFrameworkFixture::SetUp();
    Received = new TCommandLog();
    Watch = new TFreeWatch();
  }
  void TearDown() override {
    Watch->Free();
    Received->Free();
    TFrameworkFixture::TearDown();
  }
  // Registers the classes as a client package does; the first call installs the manager.
  static TIDEManager* Register(std::initializer_list<const TClass*> classes) {
    for (const TClass* c : classes) RegisterEIExtensionClass(c);
    return FindIDEIntegrationManager();
  }
  bool Send(TIDEManager* ide, const String& command) {
    Received->Clear();
    auto* msg = new TEIExtensionMessage(MainForm, command, 0, Received);
    const bool result = ide->ExecuteCommand(msg);
    msg->Free();
    return result;
  }
  static std::string Caption(TEIManager* m) { return m->GetEditorForm()->GetCaption(); }

  TCommandLog* Received = nullptr;
  TFreeWatch* Watch = nullptr;
};

}  // namespace

TEST_F(ExtensionTest, RegistrationMakesInstancesPerKindNamedOnlyForLaterWindows) {
  ASSERT_EQ(FindIDEIntegrationManager(), nullptr);
  TIDEManager* ide = Register({TFooExtension::StaticClass(), TBarExtension::StaticClass(),
                               TOnlyExtension::StaticClass(), TNoneExtension::StaticClass()});
  ASSERT_NE(ide, nullptr);
  EXPECT_EQ(ide->GetEIIExpertNames(0), "RegisterEIExtensionClass");
  ASSERT_EQ(ide->GetExtensionClassCount(), 3);  // etNone is not even registered
  EXPECT_EQ(ide->GetExtensionClasses(0), TFooExtension::StaticClass());
  EXPECT_EQ(ide->GetExtensionClasses(1), TBarExtension::StaticClass());
  EXPECT_EQ(ide->GetExtensionClasses(2), TOnlyExtension::StaticClass());

  // One IDE-level instance, named after its class without the T.
  ASSERT_EQ(ide->GetExtensionCount(), 1);
  EXPECT_EQ(ide->GetExtensions(0)->ClassType(), TFooExtension::StaticClass());
  EXPECT_EQ(ide->GetExtensions(0)->GetName(), "FooExtension");
  EXPECT_EQ(ide->GetExtensions(0)->GetOwner(), ide);

  // The two windows managed before registration get unnamed instances.
  ASSERT_EQ(ide->GetEIManagerCount(), 2);
  for (Integer i = 0; i < 2; ++i) {
    TEIManager* m = ide->GetEIManager(i);
    ASSERT_EQ(m->GetExtensionCount(), 1);
    EXPECT_EQ(m->GetExtensions(0)->ClassType(), TBarExtension::StaticClass());
    EXPECT_EQ(m->GetExtensions(0)->GetName(), "");
    EXPECT_EQ(m->GetExtensions(0)->GetOwner(), m);
  }
  EXPECT_EQ(ide->GetManagerByEditor(Malformed), nullptr);

  // A window discovered later gets a named one.
  TEditWindow* later = OpenLater("Later.pas");
  TEIManager* m = ide->GetManagerByEditor(later);
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->GetExtensionCount(), 1);
  EXPECT_EQ(m->GetExtensions(0)->ClassType(), TBarExtension::StaticClass());
  EXPECT_EQ(m->GetExtensions(0)->GetName(), "BarExtension");
  EXPECT_EQ(m->GetExtensions(0)->GetOwner(), m);
}

TEST_F(ExtensionTest, TheRegistryKeepsOneClassPerExactName) {
  struct Step {
    const char* what;
    const TClass* cls;
    Integer classes;
    Integer ideInstances;
  };
  const Step steps[] = {
      {"kind etNone", TNoneExtension::StaticClass(), 0, 0},
      {"not an extension class", TComponent::StaticClass(), 0, 0},
      {"nothing", nullptr, 0, 0},
      {"first registration", TFooExtension::StaticClass(), 1, 1},
      {"the same class again", TFooExtension::StaticClass(), 1, 1},
      {"another class of the same name", other::TFooExtension::StaticClass(), 1, 1},
      {"a name differing in letter case", TFOOEXTENSION::StaticClass(), 2, 2},
      {"register only", TOnlyExtension::StaticClass(), 3, 2},
  };
  TIDEManager* ide = InstallIDEIntegrationManager("Test");
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    RegisterEIExtensionClass(s.cls);
    EXPECT_EQ(ide->GetExtensionClassCount(), s.classes);
    EXPECT_EQ(ide->GetExtensionCount(), s.ideInstances);
  }
  EXPECT_EQ(ide->GetExtensionClasses(0), TFooExtension::StaticClass());
  EXPECT_EQ(ide->GetExtensionClasses(1), TFOOEXTENSION::StaticClass());
  EXPECT_EQ(ide->GetExtensions(0)->ClassType(), TFooExtension::StaticClass());
  EXPECT_EQ(ide->GetExtensions(1)->ClassType(), TFOOEXTENSION::StaticClass());
  for (Integer i = 0; i < ide->GetEIManagerCount(); ++i) EXPECT_EQ(ide->GetEIManager(i)->GetExtensionCount(), 0);
}

// Component names are unique per owner without regard to case: where two classes would give
// their instances the same name, the later instance stays unnamed, and both are reachable by
// their exact class names.
TEST_F(ExtensionTest, ClassesWhoseInstanceNamesCollideAreAllInstantiated) {
  TIDEManager* ide = Register({TFooExtension::StaticClass(), TFOOEXTENSION::StaticClass(),
                               TBarExtension::StaticClass(), TBAREXTENSION::StaticClass()});
  ASSERT_EQ(ide->GetExtensionCount(), 2);
  EXPECT_EQ(ide->GetExtensions(0)->GetName(), "FooExtension");
  EXPECT_EQ(ide->GetExtensions(1)->GetName(), "");

  TEditWindow* later = OpenLater("Later.pas");
  TEIManager* m = ide->GetManagerByEditor(later);
  ASSERT_NE(m, nullptr) << "the later window stayed unmanaged";
  ASSERT_EQ(m->GetExtensionCount(), 2);
  EXPECT_EQ(m->GetExtensions(0)->GetName(), "BarExtension");
  EXPECT_EQ(m->GetExtensions(1)->GetName(), "");

  EXPECT_TRUE(Send(ide, "TFOOEXTENSION.Run"));
  EXPECT_EQ(Received->Lines, std::vector<std::string>{"TFOOEXTENSION@IDE Run"});
  EXPECT_FALSE(Send(ide, "FOOEXTENSION.Run"));
  EXPECT_TRUE(Received->Lines.empty());
  Send(ide, "TBAREXTENSION.Run");
  EXPECT_EQ(Received->Lines, (std::vector<std::string>{"TBAREXTENSION@" + Caption(ide->GetEIManager(0)) + " Run",
                                                      "TBAREXTENSION@" + Caption(ide->GetEIManager(1)) + " Run",
                                                      "TBAREXTENSION@Later.pas Run"}));
}

// An instance left unnamed is reached by its class name only; an empty name matches nothing.
// A class whose own name is no identifier is refused at registration.
TEST_F(ExtensionTest, UnnamedInstancesAnswerToTheirClassNamesOnly) {
  TIDEManager* ide = Register({TFooExtension::StaticClass(), TFOOEXTENSION::StaticClass(), T1Ext::StaticClass(),
                               X::StaticClass(), TBarExtension::StaticClass()});
  OpenLater("Later.pas");
  ASSERT_EQ(ide->GetExtensionCount(), 4);
  EXPECT_EQ(ide->GetExtensions(0)->GetName(), "FooExtension");
  for (Integer i = 1; i < 4; ++i) EXPECT_EQ(ide->GetExtensions(i)->GetName(), "") << i;
  struct Case {
    const char* command;
    bool result;
    std::vector<std::string> received;
  };
  const Case cases[] = {
      {".Run", false, {}},
      {"T1Ext.Run", true, {"T1Ext@IDE Run"}},
      {"1Ext.Run", false, {}},
      {"X.Run", true, {"X@IDE Run"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(Send(ide, c.command), c.result);
    EXPECT_EQ(Received->Lines, c.received);
  }
  EXPECT_EQ(ide->GetExtensionByName(""), nullptr);
  for (Integer i = 0; i < ide->GetEIManagerCount(); ++i) EXPECT_EQ(ide->GetEIManager(i)->GetExtensionByName(""), nullptr);

  try {
    RegisterEIExtensionClass(TDottedExtension::StaticClass());
    ADD_FAILURE() << "a class named TMy.Extension was registered";
  } catch (const EEIException& e) {
    EXPECT_EQ(e.Message, "Invalid extension class name 'TMy.Extension'");
  }
  EXPECT_EQ(ide->GetExtensionClassCount(), 5);
  EXPECT_EQ(ide->GetExtensionCount(), 4);
}

TEST_F(ExtensionTest, CommandsReachBothLevelsWithTheResultOfTheIdeLevel) {
  TIDEManager* ide =
      Register({TFooExtension::StaticClass(), TQuxExtension::StaticClass(), TBarExtension::StaticClass()});
  ASSERT_EQ(ide->GetEIManagerCount(), 2);
  const std::string a = "TBarExtension@" + Caption(ide->GetEIManager(0)) + " ";
  const std::string b = "TBarExtension@" + Caption(ide->GetEIManager(1)) + " ";
  struct Case {
    const char* command;
    bool result;
    std::vector<std::string> received;
    const char* after;  // Command as the routing call leaves it
  };
  const Case cases[] = {
      // Addressed at the IDE level by class name or component name, both exact.
      {"TFooExtension.Run", true, {"TFooExtension@IDE Run"}, "Run"},
      {"FooExtension.Run", true, {"TFooExtension@IDE Run"}, "Run"},
      {"fooextension.Run", false, {}, "Run"},
      // Editor level by class name only; the result tells of the IDE level alone.
      {"TBarExtension.Run", false, {a + "Run", b + "Run"}, "Run"},
      {"BarExtension.Run", false, {}, "Run"},
      {"Nobody.Run", false, {}, "Run"},
      // The first dot ends the name.
      {"TQuxExtension.Stop.Now", false, {"TQuxExtension@IDE Stop.Now"}, "Stop.Now"},
      // Unaddressed: offered in list order until one handles it; every window still gets it.
      {"Run", true, {"TFooExtension@IDE Run", a + "Run", b + "Run"}, "Run"},
      {"Stop", true, {"TFooExtension@IDE Stop", "TQuxExtension@IDE Stop", a + "Stop", b + "Stop"}, "Stop"},
      {"Paint", false, {"TFooExtension@IDE Paint", "TQuxExtension@IDE Paint", a + "Paint", b + "Paint"}, "Paint"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    Received->Clear();
    auto* msg = new TEIExtensionMessage(MainForm, c.command, 7, Received);
    EXPECT_EQ(ide->ExecuteCommand(msg), c.result);
    EXPECT_EQ(Received->Lines, c.received);
    EXPECT_EQ(msg->Command, c.after);
    EXPECT_EQ(msg->Sender, MainForm);
    EXPECT_EQ(msg->Param, 7);
    msg->Free();
  }
}

TEST_F(ExtensionTest, AnEditorWindowLooksUpByClassNameEvenWhenItsInstanceIsNamed) {
  TIDEManager* ide = Register({TFooExtension::StaticClass(), TBarExtension::StaticClass()});
  TEIManager* m = ide->GetManagerByEditor(OpenLater("Later.pas"));
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->GetExtensions(0)->GetName(), "BarExtension");
  EXPECT_EQ(m->GetExtensionByName("TBarExtension"), m->GetExtensions(0));
  EXPECT_EQ(m->GetExtensionByName("BarExtension"), nullptr);
  struct Case {
    const char* command;
    bool result;
    std::vector<std::string> received;
  };
  const Case cases[] = {
      {"TBarExtension.Paint", true, {"TBarExtension@Later.pas Paint"}},
      {"BarExtension.Paint", false, {}},
      {"TFooExtension.Run", false, {}},
      {"Paint", true, {"TBarExtension@Later.pas Paint"}},
      {"Stop", false, {"TBarExtension@Later.pas Stop"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    Received->Clear();
    auto* msg = new TEIExtensionMessage(MainForm, c.command, 0, Received);
    EXPECT_EQ(m->ExecuteCommand(msg), c.result);
    EXPECT_EQ(Received->Lines, c.received);
    msg->Free();
  }
}

TEST_F(ExtensionTest, IndexesAtTheCountGiveNilAndNegativeOnesRaise) {
  TIDEManager* ide = Register({TFooExtension::StaticClass(), TBarExtension::StaticClass()});
  TEIManager* m = ide->GetEIManager(0);
  EXPECT_EQ(ide->GetExtensions(1), nullptr);
  EXPECT_EQ(ide->GetExtensionClasses(2), nullptr);
  EXPECT_EQ(m->GetExtensions(1), nullptr);
  EXPECT_THROW(ide->GetExtensions(-1), EListError);
  EXPECT_THROW(ide->GetExtensionClasses(-1), EListError);
  EXPECT_THROW(m->GetExtensions(-1), EListError);
}

TEST_F(ExtensionTest, InstancesGoWithTheirWindows) {
  TIDEManager* ide = Register({TFooExtension::StaticClass(), TBarExtension::StaticClass()});
  TEIExtension* first = ide->GetManagerByEditor(Editors[0])->GetExtensions(0);
  TEIExtension* second = ide->GetManagerByEditor(Editors[1])->GetExtensions(0);
  Watch->Watch(first);
  Watch->Watch(second);

  TFreeOnClose freeOnClose;
  Editors[0]->OnClose = MethodOf<&TFreeOnClose::Close>(&freeOnClose);
  Editors[0]->Close();
  Application->ProcessMessages();
  Editors[0] = nullptr;
  EXPECT_TRUE(Watch->WasFreed(first));
  EXPECT_FALSE(Watch->WasFreed(second));
  ASSERT_EQ(ide->GetEIManagerCount(), 1);

  Editors[1]->Free();
  Editors[1] = nullptr;
  EXPECT_TRUE(Watch->WasFreed(second));
  EXPECT_EQ(ide->GetEIManagerCount(), 0);

  // Nothing is left that a command could reach, and the registry is unchanged.
  EXPECT_TRUE(Send(ide, "Run"));
  EXPECT_EQ(Received->Lines, std::vector<std::string>{"TFooExtension@IDE Run"});
  EXPECT_EQ(ide->GetExtensionClassCount(), 2);
}

TEST_F(ExtensionTest, RemovingAClassFreesItsInstancesAndNoOthers) {
  TIDEManager* ide = Register({TFooExtension::StaticClass(), TBarExtension::StaticClass(),
                               TOnlyExtension::StaticClass(), TTBarExtension::StaticClass()});
  OpenLater("Later.pas");
  ASSERT_EQ(ide->GetEIManagerCount(), 3);
  std::vector<TEIExtension*> bars;
  for (Integer i = 0; i < 3; ++i) bars.push_back(ide->GetEIManager(i)->GetExtensions(0));
  for (TEIExtension* e : bars) Watch->Watch(e);
  TEIExtension* foo = ide->GetExtensions(0);
  TEIExtension* tbar = ide->GetExtensions(1);
  ASSERT_EQ(tbar->GetName(), "TBarExtension");
  Watch->Watch(foo);
  Watch->Watch(tbar);

  // Editor-level: each window's instance; the IDE-level instance that carries the class's
  // name as its component name belongs to another class and stays.
  ide->RemoveExtensionClass(TBarExtension::StaticClass());
  EXPECT_EQ(Watch->Freed, (std::vector<const TComponent*>{bars[0], bars[1], bars[2]}));
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(ide->GetEIManager(i)->GetExtensionCount(), 0);
  ASSERT_EQ(ide->GetExtensionClassCount(), 3);
  EXPECT_EQ(ide->GetExtensionClasses(1), TOnlyExtension::StaticClass());
  EXPECT_EQ(ide->GetExtensionCount(), 2);

  // A class that is not registered, even one of a registered name, changes nothing.
  ide->RemoveExtensionClass(TBarExtension::StaticClass());
  ide->RemoveExtensionClass(other::TFooExtension::StaticClass());
  EXPECT_EQ(ide->GetExtensionClassCount(), 3);
  EXPECT_EQ(Watch->Freed.size(), 3u);

  ide->RemoveExtensionClass(TFooExtension::StaticClass());
  EXPECT_TRUE(Watch->WasFreed(foo));
  ASSERT_EQ(ide->GetExtensionCount(), 1);
  EXPECT_EQ(ide->GetExtensions(0), tbar);
  ide->RemoveExtensionClass(TOnlyExtension::StaticClass());
  ide->RemoveExtensionClass(TTBarExtension::StaticClass());
  EXPECT_TRUE(Watch->WasFreed(tbar));
  EXPECT_EQ(ide->GetExtensionClassCount(), 0);
  EXPECT_EQ(ide->GetExtensionCount(), 0);

  // Windows discovered now get nothing.
  TEIManager* m = ide->GetManagerByEditor(OpenLater("Latest.pas"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->GetExtensionCount(), 0);
}

// A substitute serves the rest of its routing call: the IDE level's goes on to every window,
// a window's serves that window only. Nobody's message is freed by the routing, so an
// extension may substitute the same reply object on every call.
TEST_F(ExtensionTest, ASubstitutedMessageServesTheRestOfItsCallAndStaysItsMakers) {
  TIDEManager* ide = Register({TFooExtension::StaticClass(), TSwapExtension::StaticClass(),
                               TQuxExtension::StaticClass(), TBarExtension::StaticClass(),
                               TSwapEditorExtension::StaticClass()});
  ASSERT_EQ(ide->GetEIManagerCount(), 2);
  const std::string a = Caption(ide->GetEIManager(0)), b = Caption(ide->GetEIManager(1));
  for (int call = 1; call <= 2; ++call) {
    SCOPED_TRACE(call);
    Received->Clear();
    auto* msg = new TEIExtensionMessage(MainForm, "Swap", 1, Received);
    EXPECT_FALSE(ide->ExecuteCommand(msg));
    EXPECT_EQ(Received->Lines, (std::vector<std::string>{"TFooExtension@IDE Swap", "TSwapExtension@IDE Swap",
                                                        "TQuxExtension@IDE Swap", "TBarExtension@" + a + " Swap",
                                                        "TSwapEditorExtension@" + a + " Swap",
                                                        "TBarExtension@" + b + " Swap",
                                                        "TSwapEditorExtension@" + b + " Swap"}));
    EXPECT_EQ(Received->Params, (std::vector<Integer>{1, 1, 101, 101, 101, 101, 101}));
    ASSERT_EQ(Received->Messages.size(), 7u);
    EXPECT_EQ(Received->Messages[1], msg);
    const TEIExtensionMessage* ideReply = Received->Messages[2];
    EXPECT_NE(ideReply, msg);
    for (size_t i = 3; i < 7; ++i) EXPECT_EQ(Received->Messages[i], ideReply) << i;
    EXPECT_EQ(Received->ForeignFrees, 0);
    EXPECT_EQ(msg->Param, 1);
    EXPECT_EQ(msg->Command, "Swap");
    msg->Free();
  }

  // Addressed: the reduction before the substitution is the caller's, the rest is not.
  Received->Clear();
  auto* msg = new TEIExtensionMessage(MainForm, "TSwapExtension.Swap", 1, Received);
  EXPECT_FALSE(ide->ExecuteCommand(msg));
  EXPECT_EQ(msg->Command, "Swap");
  EXPECT_EQ(Received->Lines[0], "TSwapExtension@IDE Swap");
  EXPECT_EQ(Received->Lines.size(), 1u);
  EXPECT_EQ(Received->ForeignFrees, 0);
  msg->Free();
}

TEST_F(ExtensionTest, AnExtensionsExceptionReachesTheCallerAndFreesNoMessage) {
  TIDEManager* ide = Register({TSwapExtension::StaticClass(), TThrowExtension::StaticClass()});
  for (const char* command : {"Swap", "SwapFirst", "SwapFirst"}) {  // the raising extension substitutes too
    SCOPED_TRACE(command);
    Received->Clear();
    auto* msg = new TEIExtensionMessage(MainForm, command, 1, Received);
    try {
      ide->ExecuteCommand(msg);
      ADD_FAILURE() << "the extension's exception was lost";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, "refused");
    }
    EXPECT_EQ(Received->Lines.size(), 2u);  // the first window raised: no second one
    EXPECT_EQ(Received->ForeignFrees, 0);
    EXPECT_EQ(msg->Param, 1);
    msg->Free();
  }
}

TEST_F(ExtensionTest, TheFrameworkRaisesTheListedExceptions) {
  TIDEManager* ide = Register({TBarExtension::StaticClass()});
  TEditWindow* window = nullptr;
  auto managerFor = [&](TEditWindowLayout layout) {
    return [&, layout] {
      window = CreateEditWindow(Application, layout);
      new TEIManager(window, ide, nullptr, nullptr);
    };
  };
  TEditWindowLayout noStatusBar, noTabControl, noEditControl;
  noStatusBar.StatusBar = false;
  noTabControl.TabControl = false;
  noEditControl.EditControls = 0;
  struct Case {
    const char* what;
    std::function<void()> raise;
    const char* cls;
    const char* message;
  };
  const Case cases[] = {
      {"editor window without status bar", managerFor(noStatusBar), "EAbort", "Could not set up editor for integration!"},
      {"editor window without tab control", managerFor(noTabControl), "EAbort", "Could not set up editor for integration!"},
      {"editor window without editor control", managerFor(noEditControl), "EAbort",
       "Could not set up editor for integration!"},
      {"hook on a status bar", [&] { new TEIEditWrapper(ide->GetEIManager(0)->GetStatusBar(), nullptr, nullptr); },
       "Exception", "Invalid create class for TEIEditWrapper"},
      {"hook on nothing", [] { new TEIEditWrapper(nullptr, nullptr, nullptr); }, "Exception",
       "Invalid create class for TEIEditWrapper"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.raise();
      ADD_FAILURE() << "nothing raised";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.ClassName(), c.cls);
      EXPECT_EQ(e.Message, c.message);
    }
    if (window) {  // the partly built manager is gone
      for (Integer i = 0; i < window->GetComponentCount(); ++i)
        EXPECT_FALSE(window->GetComponent(i)->Is<TEIManager>());
      window->Free();
      window = nullptr;
    }
  }
  EXPECT_EQ(ide->GetEIManagerCount(), 2);
}
