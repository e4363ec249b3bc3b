// Writes small AVI files for the animation tests and the program's animations: RLE8 (msrle)
// and uncompressed 8-bit frames with a palette, or uncompressed 24-bit frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quo::writers {

enum class AviKind { Rle8, Pal8, Rgb24 };

// One frame: width * height colours 0xRRGGBB, rows top-down.
using AviImage = std::vector<std::uint32_t>;

// Writes the frames (all width x height) at fps frames per second. The 8-bit kinds build their
// palette from the colours used (at most 256; throws quo::Error beyond).
void WriteAvi(const std::string& path, AviKind kind, int width, int height, int fps,
              const std::vector<AviImage>& frames);

}  // namespace quo::writers
