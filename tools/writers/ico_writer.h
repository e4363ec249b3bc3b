// Writes Windows icon files (.ico): one directory entry per image, each image a 32-bit BGRA
// bitmap with straight alpha followed by its 1-bit AND mask (set where fully transparent), rows
// bottom-up, as Windows and every icon reader take them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quo::writers {

// One square image: size * size colours 0xAARRGGBB, rows top-down.
struct IcoImage {
  int size = 0;
  std::vector<std::uint32_t> argb;
};

// Writes the images (1 to 256 pixels wide) in the order given; throws quo::Error.
void WriteIco(const std::string& path, const std::vector<IcoImage>& images);

}  // namespace quo::writers
