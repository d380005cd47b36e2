// A deterministic typist: the same text gives the same keys at the same virtual times.
#include "Typist.h"

TKeyStroke KeyStrokeOf(char c) {
  if (c >= 'a' && c <= 'z') return {static_cast<WORD>(c - 'a' + 'A'), false};
  if (c >= 'A' && c <= 'Z') return {static_cast<WORD>(c), true};
  if (c >= '0' && c <= '9') return {static_cast<WORD>(c), false};
  switch (c) {
    case ' ': return {VK_SPACE, false};
    case '\n': return {VK_RETURN, false};
    case '\b': return {VK_BACK, false};
    case '\t': return {VK_TAB, false};
    case ')': return {'0', true};
    case '!': return {'1', true};
    case '@': return {'2', true};
    case '#': return {'3', true};
    case '$': return {'4', true};
    case '%': return {'5', true};
    case '^': return {'6', true};
    case '&': return {'7', true};
    case '*': return {'8', true};
    case '(': return {'9', true};
    case ';': return {VK_OEM_1, false};
    case ':': return {VK_OEM_1, true};
    case '=': return {VK_OEM_PLUS, false};
    case '+': return {VK_OEM_PLUS, true};
    case ',': return {VK_OEM_COMMA, false};
    case '<': return {VK_OEM_COMMA, true};
    case '-': return {VK_OEM_MINUS, false};
    case '_': return {VK_OEM_MINUS, true};
    case '.': return {VK_OEM_PERIOD, false};
    case '>': return {VK_OEM_PERIOD, true};
    case '/': return {VK_OEM_2, false};
    case '?': return {VK_OEM_2, true};
    case '`': return {VK_OEM_3, false};
    case '~': return {VK_OEM_3, true};
    case '[': return {VK_OEM_4, false};
    case '{': return {VK_OEM_4, true};
    case '\\': return {VK_OEM_5, false};
    case '|': return {VK_OEM_5, true};
    case ']': return {VK_OEM_6, false};
    case '}': return {VK_OEM_6, true};
    case '\'': return {VK_OEM_7, false};
    case '"': return {VK_OEM_7, true};
    default: return {0, false};
  }
}

DWORD TTypist::Jitter(DWORD range) {
  FSeed = FSeed * 1664525u + 1013904223u;
  return (FSeed >> 8) % (range + 1);
}

std::vector<TTypedKey> TTypist::Plan(const std::string& text, DWORD& now) {
  std::vector<TTypedKey> events;
  for (char c : text) {
    const TKeyStroke k = KeyStrokeOf(c);
    if (k.Key == 0) {
      ++FSkipped;
      continue;
    }
    // About 70 words a minute: 110-200 ms from one key to the next, held 60-95 ms; a
    // moment's thought before a new line and before a correction.
    DWORD gap = 110 + Jitter(90);
    if (k.Key == VK_BACK) gap += 250;
    const DWORD hold = 60 + Jitter(35);
    now += gap;
    if (k.Shift) {
      events.push_back({now, VK_SHIFT, false});
      now += 35;
    }
    events.push_back({now, k.Key, false});
    now += hold;
    events.push_back({now, k.Key, true});
    if (k.Shift) {
      now += 25;
      events.push_back({now, VK_SHIFT, true});
    }
    if (k.Key == VK_RETURN) now += 300;
  }
  return events;
}
