#include "window/win32/win32_avi_player.h"

#include <commctrl.h>

#include "platform/win32/wide.h"

namespace quo {

bool Win32AviPlayer::Load() {
  AVIStop();
  const std::wstring path = win32::WidePath(fileName_);
  loaded_ = ::SendMessageW(control_.Hwnd(), ACM_OPENW, 0, LPARAM(path.c_str())) != FALSE;
  return loaded_;
}

bool Win32AviPlayer::AVIPlay() {
  // From the first frame to the last, again and again until stopped.
  playing_ = loaded_ && ::SendMessageW(control_.Hwnd(), ACM_PLAY, WPARAM(-1), MAKELPARAM(0, 0xFFFF));
  return playing_;
}

bool Win32AviPlayer::AVIStop() {
  if (playing_) ::SendMessageW(control_.Hwnd(), ACM_STOP, 0, 0);
  playing_ = false;
  return true;
}

}  // namespace quo
