// Reading the host's scripts: steps, key chords, modal results.
#include "Script.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "HostOptions.h"
#include "Typist.h"

namespace {

std::string Lower(const std::string& s) { return LowerCase(s); }

std::vector<std::string> Words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// A whole number of pixels on the screen, as written: no sign, no trailing letters.
bool ParseCoordinate(const std::string& s, int32_t& v) {
  if (s.empty() || s.size() > 6) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  v = static_cast<int32_t>(std::strtol(s.c_str(), nullptr, 10));
  return true;
}

bool ParsePoints(const std::vector<std::string>& args, size_t count, TPoint* points, std::string& error) {
  if (args.size() != count * 2) {
    error = count == 1 ? "needs a screen point: X Y" : "needs two screen points: X1 Y1 X2 Y2";
    return false;
  }
  for (size_t i = 0; i < count; ++i)
    if (!ParseCoordinate(args[2 * i], points[i].X) || !ParseCoordinate(args[2 * i + 1], points[i].Y)) {
      error = "'" + args[2 * i] + " " + args[2 * i + 1] + "' is not a screen point (two whole numbers of pixels)";
      return false;
    }
  return true;
}

bool ParseDuration(const std::string& s, DWORD& ms, std::string& error) {
  std::string digits = s;
  DWORD scale = 1;
  if (digits.size() > 2 && Lower(digits.substr(digits.size() - 2)) == "ms") {
    digits.resize(digits.size() - 2);
  } else if (digits.size() > 1 && Lower(digits.substr(digits.size() - 1)) == "s") {
    digits.resize(digits.size() - 1);
    scale = 1000;
  }
  bool ok = !digits.empty() && digits.size() <= 7;
  for (char c : digits) ok = ok && std::isdigit(static_cast<unsigned char>(c));
  // An hour at most: a longer wait is a mistake, not a session.
  const unsigned long value = ok ? std::strtoul(digits.c_str(), nullptr, 10) * scale : 0;
  if (!ok || value > 3600000) {
    error = "'" + s + "' is not a time: write milliseconds (500, 500ms) or seconds (2s), an hour at most";
    return false;
  }
  ms = static_cast<DWORD>(value);
  return true;
}

struct TKeyName {
  const char* Name;
  WORD Key;
};
constexpr TKeyName kKeyNames[] = {
    {"enter", VK_RETURN},   {"return", VK_RETURN},  {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},
    {"tab", VK_TAB},        {"space", VK_SPACE},    {"backspace", VK_BACK}, {"delete", VK_DELETE},
    {"del", VK_DELETE},     {"insert", VK_INSERT},  {"ins", VK_INSERT},    {"home", VK_HOME},
    {"end", VK_END},        {"pageup", VK_PRIOR},   {"pgup", VK_PRIOR},    {"pagedown", VK_NEXT},
    {"pgdn", VK_NEXT},      {"left", VK_LEFT},      {"right", VK_RIGHT},   {"up", VK_UP},
    {"down", VK_DOWN},      {"clear", VK_CLEAR},
};

bool KeyOfName(const std::string& name, TKeyChord& chord) {
  const std::string n = Lower(name);
  for (const TKeyName& k : kKeyNames)
    if (n == k.Name) {
      chord.Key = k.Key;
      return true;
    }
  if (n.size() >= 2 && n.size() <= 3 && n[0] == 'f') {
    const int f = std::atoi(n.c_str() + 1);
    if (f >= 1 && f <= 12 && std::to_string(f) == n.substr(1)) {
      chord.Key = static_cast<WORD>(VK_F1 + f - 1);
      return true;
    }
  }
  if (name.size() != 1) return false;
  const char c = name[0];
  // A letter names its key, whatever its case: Ctrl+Z is not Ctrl+Shift+Z.
  if (std::isalpha(static_cast<unsigned char>(c))) {
    chord.Key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(c)));
    return true;
  }
  const TKeyStroke stroke = KeyStrokeOf(c);
  if (!stroke.Key || c == ' ' || c == '\t') return false;
  chord.Key = stroke.Key;
  bool shifted = false;
  for (WORD m : chord.Modifiers) shifted = shifted || m == VK_SHIFT;
  if (stroke.Shift && !shifted) chord.Modifiers.push_back(VK_SHIFT);
  return true;
}

bool ParseStep(const std::string& line, TScriptStep& step, std::string& error) {
  const size_t space = line.find_first_of(" \t");
  const std::string keyword = Lower(line.substr(0, space));
  const std::string rest = space == std::string::npos ? "" : Trim(line.substr(space + 1));
  const std::vector<std::string> args = Words(rest);
  if (keyword == "type") {
    step.Kind = sskType;
    // Everything after one separating space is typed, spaces included.
    step.Text = DecodeTypingText(space == std::string::npos ? "" : line.substr(space + 1));
    if (step.Text.empty()) error = "type needs the text to type";
  } else if (keyword == "press") {
    step.Kind = sskPress;
    if (args.empty()) error = "press needs a key, such as Enter, Ctrl+Z or Alt+F4";
    for (const std::string& a : args) {
      TKeyChord chord;
      if (!ParseKeyChord(a, chord, error)) break;
      step.Chords.push_back(chord);
    }
  } else if (keyword == "menu") {
    step.Kind = sskMenu;
    for (size_t at = 0; at <= rest.size();) {
      const size_t gt = rest.find('>', at);
      step.Path.push_back(Trim(rest.substr(at, gt == std::string::npos ? std::string::npos : gt - at)));
      if (step.Path.back().empty()) {
        error = "menu needs the captions from the menu bar down, such as Tools > QV Brisk ..";
        break;
      }
      if (gt == std::string::npos) break;
      at = gt + 1;
    }
  } else if (keyword == "click" || keyword == "double-click") {
    step.Kind = keyword == "click" ? sskClick : sskDoubleClick;
    if (args.size() == 2 && std::isdigit(static_cast<unsigned char>(args[0][0]))) {
      step.AtPoint = ParsePoints(args, 1, &step.From, error);
    } else if (args.size() == 1) {
      for (size_t at = 0; at <= rest.size();) {
        const size_t dot = rest.find('.', at);
        step.Path.push_back(rest.substr(at, dot == std::string::npos ? std::string::npos : dot - at));
        if (step.Path.back().empty()) break;
        if (dot == std::string::npos) break;
        at = dot + 1;
      }
      if (step.Path.size() < 2 || step.Path.back().empty())
        error = keyword + " needs a control as FORM.NAME (such as frmConfiguration.zkbtnOk) or a screen point X Y";
    } else {
      error = keyword + " needs a control as FORM.NAME (such as frmConfiguration.zkbtnOk) or a screen point X Y";
    }
  } else if (keyword == "answer") {
    step.Kind = sskAnswer;
    if (!args.empty() && Lower(args[0]) == "button") {
      // The rest of the line after "button": a caption may hold spaces.
      const size_t gap = rest.find_first_of(" \t");
      const std::string name = gap == std::string::npos ? "" : Trim(rest.substr(gap));
      if (name.empty()) error = "answer button needs the button's name or caption";
      step.Path = {name};
    } else if (args.size() != 1 || !ParseModalResult(args[0], step.Result)) {
      error = "answer needs a modal result (OK, Cancel, Yes, No, Abort, Retry, Ignore, All) or button NAME";
    }
  } else if (keyword == "wait") {
    step.Kind = sskWait;
    if (args.size() != 1) error = "wait needs a time, such as 500ms or 2s";
    else ParseDuration(args[0], step.Ms, error);
  } else if (keyword == "screenshot") {
    step.Kind = sskScreenshot;
    step.Text = rest;
    if (rest.empty()) error = "screenshot needs the PNG file to write";
  } else if (keyword == "mouse") {
    const std::string what = args.empty() ? "" : Lower(args[0]);
    if (what == "down") step.Kind = sskMouseDown;
    else if (what == "move") step.Kind = sskMouseMove;
    else if (what == "up") step.Kind = sskMouseUp;
    else error = "mouse needs down, move or up and a screen point X Y";
    if (error.empty()) ParsePoints(std::vector<std::string>(args.begin() + 1, args.end()), 1, &step.From, error);
    if (!error.empty() && error.rfind("needs", 0) == 0) error = "mouse " + (what.empty() ? "" : what + " ") + error;
  } else if (keyword == "drag") {
    step.Kind = sskDrag;
    TPoint points[2];
    if (ParsePoints(args, 2, points, error)) {
      step.From = points[0];
      step.To = points[1];
    } else if (error.rfind("needs", 0) == 0) {
      error = "drag " + error;
    }
  } else {
    error = "unknown step '" + line.substr(0, space) + "' (steps: type, press, menu, click, double-click, answer, wait, "
            "screenshot, mouse down/move/up, drag)";
  }
  return error.empty();
}

}  // namespace

std::string PlainCaption(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out.push_back('&'), ++i;
      continue;
    }
    out.push_back(caption[i]);
  }
  return Trim(out);
}

bool ParseKeyChord(const std::string& text, TKeyChord& chord, std::string& error) {
  chord = TKeyChord{};
  chord.Name = text;
  std::vector<std::string> parts;
  for (size_t at = 0; at <= text.size();) {
    const size_t plus = text.find('+', at);
    parts.push_back(text.substr(at, plus == std::string::npos ? std::string::npos : plus - at));
    if (plus == std::string::npos) break;
    at = plus + 1;
  }
  // "Ctrl++" holds Ctrl and strikes the '+' key.
  if (parts.size() >= 3 && parts.back().empty() && parts[parts.size() - 2].empty()) {
    parts.pop_back();
    parts.back() = "+";
  }
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    const std::string m = Lower(parts[i]);
    WORD vk = m == "ctrl" || m == "control" ? VK_CONTROL : m == "shift" ? VK_SHIFT : m == "alt" ? VK_MENU : 0;
    if (!vk) {
      error = "'" + parts[i] + "' in '" + text + "' is not Ctrl, Shift or Alt";
      return false;
    }
    chord.Modifiers.push_back(vk);
  }
  if (parts.back().empty() || !KeyOfName(parts.back(), chord)) {
    error = "'" + parts.back() + "' in '" + text + "' is not a key (keys: letters, digits, punctuation, Enter, "
            "Escape, Tab, Space, Backspace, Delete, Insert, Home, End, PageUp, PageDown, Left, Right, Up, Down, "
            "F1-F12)";
    return false;
  }
  return true;
}

bool ParseModalResult(const std::string& text, TModalResult& result) {
  std::string n = Lower(text);
  if (n.rfind("mr", 0) == 0) n = n.substr(2);
  static const std::pair<const char*, TModalResult> kResults[] = {
      {"ok", mrOk},         {"cancel", mrCancel}, {"abort", mrAbort}, {"retry", mrRetry}, {"ignore", mrIgnore},
      {"yes", mrYes},       {"no", mrNo},         {"all", mrAll},     {"notoall", mrNoToAll},
      {"yestoall", mrYesToAll},
  };
  for (const auto& [name, value] : kResults)
    if (n == name) {
      result = value;
      return true;
    }
  return false;
}

bool ParseScript(const std::string& text, const std::string& name, TScript& script, std::string& error) {
  script = TScript{};
  script.Name = name;
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    TScriptStep step;
    step.Line = number;
    // Leading blanks indent; the text of a type step keeps its own spaces.
    if (!ParseStep(line.substr(line.find_first_not_of(" \t")), step, error)) {
      error = name + ":" + std::to_string(number) + ": " + error;
      return false;
    }
    script.Steps.push_back(std::move(step));
  }
  return true;
}

const char* ScriptLanguageHelp() {
  return "A script has one step a line; blank lines and lines starting with # are skipped:\n"
         "  type TEXT             type TEXT at a typist's pace (\\n Enter, \\b Backspace, \\t Tab)\n"
         "  press CHORD...        press keys: Enter, Escape, Ctrl+Z, Alt+F4, Shift+Tab, F5, a ...\n"
         "  menu A > B            choose the main menu's item by its captions: menu Tools > QV Brisk ..\n"
         "  click FORM.NAME       click a control by its name path: click frmConfiguration.zkbtnOk\n"
         "  click X Y             click at a screen point\n"
         "  double-click FORM.NAME | X Y\n"
         "  answer RESULT         close the open modal form with OK, Cancel, Yes, No, Abort, Retry,\n"
         "                        Ignore or All\n"
         "  answer button NAME    click the open modal form's button of that name or caption\n"
         "  wait TIME             let time pass on the session clock: 500ms, 2s\n"
         "  screenshot FILE       write the desktop as a PNG\n"
         "  mouse down X Y        press, move or release the left button at a screen point\n"
         "  mouse move X Y\n"
         "  mouse up X Y\n"
         "  drag X1 Y1 X2 Y2      press at the first point, move to the second, release\n"
         "Steps run as the IDE's message loop goes idle, inside modal dialogs too. A line that is\n"
         "not a step stops brisk-ide before the IDE starts (exit status 2); a step that fails\n"
         "stops the script with its line and cancels the dialogs it opened (exit status 1).\n";
}
