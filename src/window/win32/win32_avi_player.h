// The busy animation over the system's Animation control: it plays the RLE8 animations of the
// program folder by itself, on its own thread, centred, drawing the colour of each frame's
// top-left pixel (the animations' magenta) as the container's background. The control cannot be
// asked whether it plays under every system, so the player keeps that itself.
#pragma once

#include <windows.h>
#undef MessageBox  // the windowing service's own name, not the API's macro

#include <string>

#include "platform/animation.h"
#include "window/win32/win32_form.h"

namespace quo {

class Win32AviPlayer : public AviPlayer {
 public:
  // control: the form's animation control, created when first loaded.
  explicit Win32AviPlayer(const Win32Control& control) : control_(control) {}

  void SetFileName(const std::string& path) override { fileName_ = path; }
  bool Load() override;
  bool AVIPlay() override;
  bool AVIStop() override;
  bool Playing() const override { return playing_; }
  // The control takes the transparent colour from the frames and always centres them.
  void SetTransparentColor(std::uint32_t) override {}
  void SetTransparent(bool) override {}
  void SetCentre(bool) override {}

 private:
  const Win32Control& control_;
  std::string fileName_;
  bool loaded_ = false, playing_ = false;
};

class Win32AnimationService : public AnimationService {
 public:
  explicit Win32AnimationService(const Win32Control& control) : player_(control) {}
  AviPlayer& Player() override { return player_; }

 private:
  Win32AviPlayer player_;
};

}  // namespace quo
