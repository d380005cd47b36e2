// Run-time library helpers.
#include "SysUtils.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <vector>

void Abort() { throw EAbort("Operation aborted"); }

String Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  String out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
  va_end(ap2);
  return out;
}

String UpperCase(const String& s) {
  String r = s;
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

String LowerCase(const String& s) {
  String r = s;
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

int CompareText(const String& a, const String& b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int ca = std::toupper(static_cast<unsigned char>(a[i]));
    int cb = std::toupper(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca - cb;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameText(const String& a, const String& b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

String IntToStr(Int64 v) { return std::to_string(v); }

String Trim(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

bool IsValidIdent(const String& s) {
  if (s.empty()) return false;
  auto alpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
  if (!alpha(s[0])) return false;
  for (char c : s)
    if (!alpha(c) && !std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

bool FileExists(const String& fileName) {
  if (fileName.empty()) return false;
  struct stat st {};
  return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

String ExtractFileName(const String& path) {
  size_t p = path.find_last_of("/\\:");
  return p == String::npos ? path : path.substr(p + 1);
}

String ExtractFilePath(const String& path) {
  size_t p = path.find_last_of("/\\:");
  return p == String::npos ? String() : path.substr(0, p + 1);
}

String ExtractFileExt(const String& path) {
  String name = ExtractFileName(path);
  size_t p = name.rfind('.');
  return p == String::npos ? String() : name.substr(p);
}
