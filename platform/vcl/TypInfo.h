// Run-time type information: published properties looked up by name.
#pragma once

#include "System.h"

using PPropInfo = const TPropInfo*;

// The property of that name published by the class or a parent (case-insensitive), or null.
PPropInfo GetPropInfo(const TClass* cls, const String& name);
PPropInfo GetPropInfo(const TObject* obj, const String& name);
// Reads an ordinal property; raises EPropertyError for a non-ordinal or write-only one.
Int64 GetOrdProp(const TObject* obj, PPropInfo info);
void SetOrdProp(TObject* obj, PPropInfo info, Int64 value);
String GetStrProp(const TObject* obj, PPropInfo info);
void SetStrProp(TObject* obj, PPropInfo info, const String& value);
