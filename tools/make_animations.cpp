// Writes the program's four busy animations (AVI/<name>.avi) as small looping RLE8 files with
// a magenta (transparent) background. Usage: quo_make_animations <program folder>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>

#include "writers/avi_writer.h"

namespace {

using quo::writers::AviImage;
constexpr int kW = 96, kH = 40, kFrames = 12, kFps = 10;
constexpr std::uint32_t kMagenta = 0xFF00FF, kNavy = 0x1F3F8F, kBlue = 0x3F7FDF, kYellow = 0xF0C030,
                        kWhite = 0xFFFFFF, kGrey = 0x808080, kGreen = 0x30A040;

struct Canvas {
  AviImage px = AviImage(kW * kH, kMagenta);
  void Rect(int x, int y, int w, int h, std::uint32_t c) {
    for (int j = std::max(0, y); j < std::min(kH, y + h); ++j)
      for (int i = std::max(0, x); i < std::min(kW, x + w); ++i) px[j * kW + i] = c;
  }
  void Disc(double cx, double cy, double r, std::uint32_t c) {
    for (int j = 0; j < kH; ++j)
      for (int i = 0; i < kW; ++i)
        if ((i - cx) * (i - cx) + (j - cy) * (j - cy) <= r * r) px[j * kW + i] = c;
  }
  void Screen(int x, int y) {  // a small computer
    Rect(x, y, 22, 16, kGrey);
    Rect(x + 2, y + 2, 18, 12, kBlue);
    Rect(x + 8, y + 16, 6, 3, kGrey);
    Rect(x + 4, y + 19, 14, 2, kGrey);
  }
};

AviImage PulseConnect(int f) {
  Canvas c;
  c.Screen(4, 8);
  c.Screen(70, 8);
  for (int x = 28; x < 68; x += 4) c.Rect(x, 16, 2, 2, kGrey);
  c.Disc(28 + 40.0 * f / (kFrames - 1), 17, 3, kGreen);
  return c.px;
}

AviImage SyncWebsite(int f) {
  Canvas c;
  c.Screen(4, 8);
  c.Disc(78, 20, 14, kBlue);
  const double a = 2 * std::numbers::pi * f / kFrames;
  for (int k = -6; k <= 6; ++k)
    c.Disc(78 + 12 * std::sin(a + k * 0.12), 20 + 12 * std::cos(a + k * 0.12), 1.5, kWhite);
  for (int x = 30; x < 62; x += 4) c.Rect(x, 16, 2, 2, (x / 4 + f) % 3 == 0 ? kGreen : kGrey);
  return c.px;
}

AviImage WebfolderCopy1File(int f) {
  Canvas c;
  for (int x : {4, 68}) {
    c.Rect(x, 12, 10, 4, kYellow);
    c.Rect(x, 15, 24, 18, kYellow);
  }
  const int x = 20 + 44 * f / (kFrames - 1),
            y = 10 - static_cast<int>(8 * std::sin(std::numbers::pi * f / (kFrames - 1)));
  c.Rect(x, y, 10, 13, kWhite);
  for (int l = 0; l < 4; ++l) c.Rect(x + 2, y + 3 + 2 * l, 6, 1, kGrey);
  return c.px;
}

AviImage Synchronize(int f) {
  Canvas c;
  for (int k = 0; k < 8; ++k) {
    const double a = 2 * std::numbers::pi * k / 8;
    const bool lit = (k == f % 8) || (k == (f + 7) % 8);
    c.Disc(48 + 14 * std::cos(a), 20 + 14 * std::sin(a), lit ? 4 : 3, lit ? kNavy : kBlue);
  }
  return c.px;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/AVI/";
  std::filesystem::create_directories(dir);
  const std::pair<const char*, std::function<AviImage(int)>> all[] = {
      {"PulseConnect", PulseConnect},
      {"SyncWebsite", SyncWebsite},
      {"WebfolderCopy1File", WebfolderCopy1File},
      {"Synchronize", Synchronize}};
  for (const auto& [name, draw] : all) {
    std::vector<AviImage> frames;
    for (int f = 0; f < kFrames; ++f) frames.push_back(draw(f));
    quo::writers::WriteAvi(dir + name + ".avi", quo::writers::AviKind::Rle8, kW, kH, kFps, frames);
    std::printf("%s%s.avi\n", dir.c_str(), name);
  }
  return 0;
}
