// The link label and the process-wide link opener.
#include "ZKHotLink.h"

#include "../vcl/Filer.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

static const TPropInfo HotLinkProps[] = {
    PUBLISHED_IDENT_INT(TZKHotLink, "ColorOnEnter", GetColorOnEnter, SetColorOnEnter, &TColor_TypeInfo, NoDefault),
    PUBLISHED_STR_FIELD(TZKHotLink, "Url", Url),
};

IMPLEMENT_COMPONENT_CLASS_PROPS(TZKHotLink, TLabel, HotLinkProps)

static const TClassRegistration ZKHotLinkClasses{TZKHotLink::StaticClass()};

namespace {

THotLinkOpener& Opener() {
  static THotLinkOpener opener;
  return opener;
}

bool OnDesktop() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// The desktop's opener runs on its own and is not waited for (it may stay until the browser
// ends); finished ones are collected at the next open so none is left as a zombie for long.
std::vector<pid_t>& Launched() {
  static std::vector<pid_t> launched;
  return launched;
}

void CollectFinished() {
  auto& launched = Launched();
  for (size_t i = 0; i < launched.size();) {
    int status;
    if (waitpid(launched[i], &status, WNOHANG) != 0) {
      launched[i] = launched.back();
      launched.pop_back();
    } else {
      ++i;
    }
  }
}

bool DesktopOpen(const String& url) {
  std::fprintf(stderr, "open %s\n", url.c_str());
  if (!OnDesktop()) return false;
  CollectFinished();
  String program = "xdg-open";
  String target = url;
  char* argv[] = {program.data(), target.data(), nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
  Launched().push_back(pid);
  return true;
}

}  // namespace

THotLinkOpener SetHotLinkOpener(THotLinkOpener opener) {
  std::swap(Opener(), opener);
  return opener;
}

bool IsOpenableUrl(const String& Url) {
  if (Url.empty() || Url[0] == '-') return false;
  for (char c : Url)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

TZKHotLink::TZKHotLink(TComponent* AOwner) : TLabel(AOwner) { FCursor = crHandPoint; }

void TZKHotLink::SetColorOnEnter(TColor v) {
  if (FColorOnEnter == v) return;
  FColorOnEnter = v;
  if (FMouseInside) GetFont()->SetColor(v);
}

bool TZKHotLink::Open() {
  if (!IsOpenableUrl(Url)) {
    std::fprintf(stderr, "brisk: link '%s' refused its target\n", GetName().c_str());
    return false;
  }
  // A copy: the opener may replace itself while it runs.
  THotLinkOpener opener = Opener();
  return opener ? opener(Url) : DesktopOpen(Url);
}

void TZKHotLink::Click() {
  TLabel::Click();
  Open();
}

void TZKHotLink::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      if (!FMouseInside) {
        FMouseInside = true;
        FColorOutside = GetFont()->GetColor();
        GetFont()->SetColor(FColorOnEnter);
      }
      return;
    case CM_MOUSELEAVE:
      if (FMouseInside) {
        FMouseInside = false;
        GetFont()->SetColor(FColorOutside);
      }
      return;
    default:
      TLabel::Dispatch(Message);
  }
}
