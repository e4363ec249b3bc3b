#include "writers/program_picture.h"

#include <array>
#include <utility>

namespace quo::writers {

namespace {

constexpr std::uint32_t kBlue = 0x1F5FBF, kWhite = 0xFFFFFF;
constexpr int kSamples = 4;  // a side

// The arrow, in the coordinates of the 32-pixel picture.
constexpr std::array<std::pair<double, double>, 7> kArrow{
    {{13, 7}, {19, 7}, {19, 16}, {24, 16}, {16, 25}, {8, 16}, {13, 16}}};

bool InArrow(double x, double y) {
  bool in = false;
  for (std::size_t i = 0, j = kArrow.size() - 1; i < kArrow.size(); j = i++) {
    const auto [xi, yi] = kArrow[i];
    const auto [xj, yj] = kArrow[j];
    if ((yi > y) != (yj > y) && x < xi + (y - yi) * (xj - xi) / (yj - yi)) in = !in;
  }
  return in;
}

}  // namespace

IcoImage ProgramPicture(int size) {
  IcoImage image{size, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size)};
  const double scale = 32.0 / size;
  for (int py = 0; py < size; ++py)
    for (int px = 0; px < size; ++px) {
      int blue = 0, white = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples) * scale,
                       y = (py + (sy + 0.5) / kSamples) * scale;
          if ((x - 16) * (x - 16) + (y - 16) * (y - 16) > 15 * 15) continue;  // the disc
          ++(InArrow(x, y) ? white : blue);
        }
      const int covered = blue + white;
      if (covered == 0) continue;
      std::uint32_t pixel = static_cast<std::uint32_t>(255 * covered / (kSamples * kSamples)) << 24;
      for (int shift : {0, 8, 16}) {  // straight (not premultiplied) colour
        const int channel =
            (blue * ((kBlue >> shift) & 0xFF) + white * ((kWhite >> shift) & 0xFF) + covered / 2) /
            covered;
        pixel |= static_cast<std::uint32_t>(channel) << shift;
      }
      image.argb[static_cast<std::size_t>(py) * size + px] = pixel;
    }
  return image;
}

}  // namespace quo::writers
