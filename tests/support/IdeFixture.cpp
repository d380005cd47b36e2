#include "IdeFixture.h"

void TIdeFixture::PostKey(HWND target, UINT message, WORD vk) {
  PostMessage(target, message, vk, MakeKeyData(message, vk));
}

void TIdeFixture::TypeKey(HWND target, WORD vk) {
  PostKey(target, WM_KEYDOWN, vk);
  PostKey(target, WM_KEYUP, vk);
  Application->ProcessMessages();
}

void TIdeFixture::TypeCtrlKey(HWND target, WORD vk) {
  PostKey(target, WM_KEYDOWN, VK_CONTROL);
  TypeKey(target, vk);
  PostKey(target, WM_KEYUP, VK_CONTROL);
  Application->ProcessMessages();
}
