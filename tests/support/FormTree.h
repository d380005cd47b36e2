// A form stream read as a tree of its components and their values, without making any of
// the classes it names: what a test compares with a designed form.
#pragma once

#include <utility>
#include <vector>

#include "platform/vcl/Reader.h"

// A component as the stream holds it, with the values a test can name: integers, strings,
// identifiers and sets ("[ofHideReadOnly, ofEnableSizing]") as text, other kinds skipped.
struct TFormNode {
  String ClassName, Name;
  std::vector<std::pair<String, String>> Props;
  std::vector<TFormNode> Children;

  int Count() const;
  const TFormNode* Find(const String& name) const;
  String Prop(const String& name) const;  // "<none>" when not stored
};

TFormNode ReadFormNode(TReader* reader);
// Binary data with or without its resource header; the stream must end with its root.
TFormNode ReadFormTree(const String& binary);
