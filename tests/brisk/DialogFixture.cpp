#include "DialogFixture.h"

#include <filesystem>

void TDialogFixture::SetUp() {
  TBriskFixture::SetUp();
  if (IsSkipped()) return;
  FileDialogs.clear();
}

void TDialogFixture::TearDown() {
  SetModalHandler(nullptr);
  SetOpenDialogAnswerer(nullptr);
  TBriskFixture::TearDown();
}

void TDialogFixture::Answer(std::vector<TStep> Steps) {
  FSteps = std::move(Steps);
  FNext = 0;
  SetModalHandler([this](TCustomForm& form) {
    if (FNext < FSteps.size()) FSteps[FNext++](form);
  });
}

void TDialogFixture::ClickMenuItem() { IDE->GetMainWindow()->GetToolsMenu()->GetItem(0)->Click(); }

TControl* FindControlByName(TCustomForm& Form, const char* Name) {
  return As<TControl>(Form.FindComponent(Name));
}

namespace {
LPARAM Pack(TPoint p) { return static_cast<LPARAM>((static_cast<uint32_t>(p.Y & 0xFFFF) << 16) | (p.X & 0xFFFF)); }
}  // namespace

TDialogFixture::TStep TDialogFixture::Click(const char* Name) {
  return [Name](TCustomForm& form) {
    TControl* c = FindControlByName(form, Name);
    ASSERT_NE(c, nullptr) << Name << " on " << form.GetName();
    const TPoint middle = c->ClientToScreen({c->GetWidth() / 2, c->GetHeight() / 2});
    MouseInput(WM_LBUTTONDOWN, middle, 1);
    MouseInput(WM_LBUTTONUP, middle, 0);
  };
}

TDialogFixture::TStep TDialogFixture::Key(WORD Vk) {
  return [Vk](TCustomForm&) {
    PostKey(GetFocus(), WM_KEYDOWN, Vk);
    PostKey(GetFocus(), WM_KEYUP, Vk);
  };
}

TDialogFixture::TStep TDialogFixture::CloseBox() {
  return [](TCustomForm& form) {
    TRect r;
    GetWindowRect(form.GetHandle(), &r);
    // The close box sits at the caption's right end.
    const TPoint box{r.Right - 3 - 8, r.Top + 3 + 9};
    ASSERT_EQ(SendMessage(form.GetHandle(), WM_NCHITTEST, 0, Pack(box)), HTCLOSE);
    MouseInput(WM_LBUTTONDOWN, box, 1);
    MouseInput(WM_LBUTTONUP, box, 0);
  };
}

void TDialogFixture::AnswerFileDialogs(std::vector<String> Names) {
  auto remaining = std::make_shared<std::vector<String>>(std::move(Names));
  SetOpenDialogAnswerer([this, remaining](TOpenDialogRequest& r) {
    FileDialogs.push_back(r);
    if (remaining->empty()) return false;
    r.FileName = remaining->front();
    remaining->erase(remaining->begin());
    return true;
  });
}

void TDialogFixture::Screenshot(const char* Name) {
  Application->ProcessMessages();
  const std::filesystem::path dir = std::filesystem::path(BRISK_BINARY_DIR) / "screenshots";
  std::filesystem::create_directories(dir);
  std::string why;
  EXPECT_TRUE(SaveScreenPNG(0, (dir / (std::string(Name) + ".png")).string(), &why)) << why;
}
