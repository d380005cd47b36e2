// Form streams read as trees of components and values.
#include "FormTree.h"

#include <gtest/gtest.h>

int TFormNode::Count() const {
  int n = 1;
  for (const TFormNode& c : Children) n += c.Count();
  return n;
}

const TFormNode* TFormNode::Find(const String& name) const {
  if (Name == name) return this;
  for (const TFormNode& c : Children)
    if (const TFormNode* found = c.Find(name)) return found;
  return nullptr;
}

String TFormNode::Prop(const String& name) const {
  for (const auto& [n, v] : Props)
    if (n == name) return v;
  return "<none>";
}

TFormNode ReadFormNode(TReader* reader) {
  TFormNode node;
  TFilerFlags flags;
  Integer position = 0;
  reader->ReadPrefix(flags, position);
  node.ClassName = reader->ReadStr();
  node.Name = reader->ReadStr();
  while (!reader->EndOfList()) {
    const String name = reader->ReadStr();
    switch (reader->NextValue()) {
      case vaInt8:
      case vaInt16:
      case vaInt32:
        node.Props.emplace_back(name, IntToStr(reader->ReadInteger()));
        break;
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        node.Props.emplace_back(name, reader->ReadString());
        break;
      case vaIdent:
      case vaFalse:
      case vaTrue:
        node.Props.emplace_back(name, reader->ReadIdent());
        break;
      case vaSet: {
        reader->ReadValue();
        String set = "[";
        for (String element; !(element = reader->ReadStr()).empty();) set += (set.size() > 1 ? ", " : "") + element;
        node.Props.emplace_back(name, set + "]");
        break;
      }
      default:
        reader->SkipValue();
        node.Props.emplace_back(name, "<skipped>");
    }
  }
  reader->ReadListEnd();
  while (!reader->EndOfList()) node.Children.push_back(ReadFormNode(reader));
  reader->ReadListEnd();
  return node;
}

TFormNode ReadFormTree(const String& binary) {
  TAutoFree<TMemoryStream> stream(new TMemoryStream());
  stream->SetDataString(binary);
  if (!binary.empty() && static_cast<uint8_t>(binary[0]) == 0xFF) stream->ReadResHeader();
  TAutoFree<TReader> reader(new TReader(stream.Get()));
  reader->ReadSignature();
  TFormNode root = ReadFormNode(reader.Get());
  EXPECT_EQ(reader->GetPosition(), stream->GetSize()) << "the stream ends with its root";
  return root;
}
