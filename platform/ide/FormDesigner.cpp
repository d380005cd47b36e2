// Form files read into component trees, and the designer window that shows one.
#include "FormDesigner.h"

#include <cstdlib>

#include "platform/vcl/ObjectText.h"
#include "platform/vcl/Reader.h"

IMPLEMENT_COMPONENT_CLASS(TFormDesigner, TForm)

namespace {

constexpr const char* SInvalidImage = "Invalid stream format";
// A form file is a few megabytes at most, pictures included; anything larger is not one and
// is refused before it is read into memory.
constexpr Int64 MaxFormFileSize = 64 << 20;

void ReadComponentTree(TReader* Reader, TFormFileComponent& Node, int Depth) {
  if (Depth > MaxFilerNesting) throw EReadError(SInvalidImage);
  TFilerFlags flags;
  Integer position = 0;
  Reader->ReadPrefix(flags, position);
  Node.Inline = flags.Contains(ffInline);
  Node.ClassName = Reader->ReadStr();
  Node.Name = Reader->ReadStr();
  while (!Reader->EndOfList()) {
    String name = Reader->ReadStr();
    switch (Reader->NextValue()) {
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        Node.Properties.emplace_back(std::move(name), Reader->ReadString());
        break;
      default:
        Node.Properties.emplace_back(std::move(name), ObjectValueToText(Reader));
    }
  }
  Reader->ReadListEnd();
  while (!Reader->EndOfList()) {
    Node.Components.emplace_back();
    ReadComponentTree(Reader, Node.Components.back(), Depth + 1);
  }
  Reader->ReadListEnd();
}

String ReadFileData(const String& FileName) {
  TAutoFree<TFileStream> file(new TFileStream(FileName, fmOpenRead));
  if (file->GetSize() > MaxFormFileSize) throw EReadError(SInvalidImage);
  TAutoFree<TMemoryStream> data(new TMemoryStream());
  data->LoadFromStream(file.Get());
  return data->GetDataString();
}

// Integer values of the form's own properties, for placing its window.
bool IntegerProperty(const TFormFileComponent& Form, const char* Name, Integer& Value) {
  String text;
  if (!Form.FindProperty(Name, text) || text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end || v < -32768 || v > 32767) return false;
  Value = static_cast<Integer>(v);
  return true;
}

}  // namespace

bool TFormFileComponent::FindProperty(const String& PropName, String& Value) const {
  if (SameText(PropName, "Name")) {
    Value = Name;
    return true;
  }
  for (auto it = Properties.rbegin(); it != Properties.rend(); ++it) {
    if (SameText(it->first, PropName)) {
      Value = it->second;
      return true;
    }
  }
  return false;
}

const TFormFileComponent* TFormFileComponent::FindComponent(const String& ComponentName) const {
  if (ComponentName.empty()) return nullptr;
  if (SameText(Name, ComponentName)) return this;
  for (const TFormFileComponent& c : Components) {
    if (SameText(c.Name, ComponentName)) return &c;
    if (c.Inline) continue;
    if (const TFormFileComponent* found = c.FindComponent(ComponentName)) return found;
  }
  return nullptr;
}

std::shared_ptr<const TFormFileComponent> ReadFormData(const String& Data) {
  TAutoFree<TMemoryStream> stream(new TMemoryStream());
  stream->SetDataString(Data);
  switch (TestStreamFormat(stream.Get())) {
    case sofText: {
      TAutoFree<TMemoryStream> binary(new TMemoryStream());
      ObjectTextToBinary(stream.Get(), binary.Get());
      binary->SetPosition(0);
      stream->Clear();
      stream->CopyFrom(binary.Get(), 0);
      stream->SetPosition(0);
      break;
    }
    case sofBinary:
      if (!Data.empty() && static_cast<uint8_t>(Data[0]) == 0xFF) stream->ReadResHeader();
      break;
    default:
      throw EReadError(SInvalidImage);
  }
  auto root = std::make_shared<TFormFileComponent>();
  TAutoFree<TReader> reader(new TReader(stream.Get(), 4096));
  reader->ReadSignature();
  ReadComponentTree(reader.Get(), *root, 0);
  return root;
}

TFormDesigner* TFormDesigner::Open(TComponent* AOwner, const String& FileName) {
  String data = ReadFileData(FileName);
  auto root = ReadFormData(data);
  auto* designer = new TFormDesigner(AOwner);
  designer->FFileName = FileName;
  designer->Take(std::move(data), std::move(root));
  return designer;
}

void TFormDesigner::Refresh() {
  String data = ReadFileData(FFileName);
  if (data == FData) return;
  auto root = ReadFormData(data);
  Take(std::move(data), std::move(root));
}

// The window shows the form where and as large as it was designed, under its caption.
void TFormDesigner::Take(String Data, std::shared_ptr<const TFormFileComponent> Root) {
  FRoot = std::move(Root);
  FData = std::move(Data);
  String caption;
  SetCaption(FRoot->FindProperty("Caption", caption) ? caption : FRoot->Name);
  Integer left = GetLeft(), top = GetTop(), width = GetWidth(), height = GetHeight();
  IntegerProperty(*FRoot, "Left", left);
  IntegerProperty(*FRoot, "Top", top);
  IntegerProperty(*FRoot, "Width", width);
  IntegerProperty(*FRoot, "Height", height);
  SetBounds(left, top, width, height);
  Integer client;
  if (IntegerProperty(*FRoot, "ClientWidth", client)) SetClientWidth(client);
  if (IntegerProperty(*FRoot, "ClientHeight", client)) SetClientHeight(client);
}
