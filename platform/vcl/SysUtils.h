// Exceptions with the run-time library's messages, and the string and file helpers the
// system uses (case-insensitive comparison, formatting, FileExists).
#pragma once

#include <cstdarg>
#include <exception>
#include <string>

#include "System.h"

// Exceptions are raised by value and caught by reference; `catch (...)` is "catch every
// exception and discard it". They are not TObjects: their lifetime belongs to the C++ runtime.
class Exception : public std::exception {
 public:
  explicit Exception(String message) : Message(std::move(message)) {}
  String Message;
  const char* what() const noexcept override { return Message.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }
};

#define DECLARE_EXCEPTION(Cls, ParentCls)                          \
  class Cls : public ParentCls {                                   \
   public:                                                         \
    using ParentCls::ParentCls;                                    \
    const char* ClassName() const override { return #Cls; }        \
  };

// EAbort is the "silent" exception: handlers that report exceptions skip it.
DECLARE_EXCEPTION(EAbort, Exception)
DECLARE_EXCEPTION(EListError, Exception)
DECLARE_EXCEPTION(EStringListError, Exception)
DECLARE_EXCEPTION(EComponentError, Exception)
DECLARE_EXCEPTION(EInvalidOperation, Exception)
DECLARE_EXCEPTION(EConvertError, Exception)
DECLARE_EXCEPTION(EPropertyError, Exception)
DECLARE_EXCEPTION(EInOutError, Exception)
DECLARE_EXCEPTION(EOutOfResources, Exception)
DECLARE_EXCEPTION(EAbstractError, Exception)

[[noreturn]] void Abort();

String Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
String UpperCase(const String& s);
String LowerCase(const String& s);
// Case-insensitive comparison over 8-bit characters, like AnsiCompareText for plain names.
int CompareText(const String& a, const String& b);
bool SameText(const String& a, const String& b);
String IntToStr(Int64 v);
String Trim(const String& s);
bool IsValidIdent(const String& s);

bool FileExists(const String& fileName);
String ExtractFileName(const String& path);
String ExtractFilePath(const String& path);
String ExtractFileExt(const String& path);
