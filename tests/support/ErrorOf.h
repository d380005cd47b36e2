// What a piece of code raised, as one string a test can compare.
#pragma once

#include <string>

#include "platform/vcl/SysUtils.h"

// "Exception class: message", or "" when nothing was raised.
template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const Exception& e) {
    return std::string(e.ClassName()) + ": " + e.Message;
  }
  return "";
}
