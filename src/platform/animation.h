// Animation service: plays AVI animations in the window's player. The player decodes every frame
// of the file at Load and loops them at the file's frame rate until AVIStop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// The video frames of an animation file, decoded once at Load.
struct AviFrames {
  int width = 0, height = 0;
  double frameRate = 0;  // frames per second
  // One entry per frame: width * height pixels 0xAARRGGBB (alpha 255), rows top-down.
  std::vector<std::vector<std::uint32_t>> frames;
  std::string error;  // why decoding failed
};

// The decoder lives in a loadable module of the program folder, so that a run that shows no
// animation never loads the video libraries. Its entry point has the type AviDecodeFn.
inline constexpr char kAviModule[] = "libquo_avi.so";
inline constexpr char kAviDecodeSymbol[] = "quo_decode_avi";
using AviDecodeFn = bool (*)(const char* path, AviFrames* out);

class AnimationService {
 public:
  virtual ~AnimationService() = default;
  // The player of the main window (created on first use).
  virtual AviPlayer& Player() = 0;
};

}  // namespace quo
