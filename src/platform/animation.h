// Animation service: plays AVI animations in the window's player. The player decodes every frame
// of the file at Load and loops them at the file's frame rate until AVIStop.
#pragma once

#include <cstdint>
#include <string>

namespace quo {

class AviPlayer {
 public:
  virtual ~AviPlayer() = default;

  virtual void SetFileName(const std::string& path) = 0;
  virtual bool Load() = 0;
  virtual bool AVIPlay() = 0;
  virtual bool AVIStop() = 0;
  virtual bool Playing() const = 0;
  virtual void SetTransparentColor(std::uint32_t rgb) = 0;  // 0xRRGGBB
  virtual void SetTransparent(bool on) = 0;
  virtual void SetCentre(bool on) = 0;
};

class AnimationService {
 public:
  virtual ~AnimationService() = default;
  // The player of the main window (created on first use).
  virtual AviPlayer& Player() = 0;
};

}  // namespace quo
