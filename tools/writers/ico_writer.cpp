#include "writers/ico_writer.h"

#include <fstream>

#include "core/error.h"

namespace quo::writers {

namespace {

void Put(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The image as stored: its BITMAPINFOHEADER (height doubled: colours, then mask), the colours,
// the mask (rows padded to 4 bytes).
std::string Bitmap(const IcoImage& image) {
  const int n = image.size;
  if (n < 1 || n > 256 || image.argb.size() != static_cast<std::size_t>(n) * n)
    throw Error("Bad icon image size");
  const int maskRow = (n + 31) / 32 * 4;
  std::string b;
  Put(b, 40, 4);
  Put(b, n, 4);
  Put(b, 2 * n, 4);
  Put(b, 1, 2);   // planes
  Put(b, 32, 2);  // bits per pixel
  Put(b, 0, 4);   // BI_RGB
  Put(b, 4 * n * n + maskRow * n, 4);
  for (int i = 0; i < 4; ++i) Put(b, 0, 4);
  for (int y = n - 1; y >= 0; --y)
    for (int x = 0; x < n; ++x) Put(b, image.argb[y * n + x], 4);  // little-endian: B, G, R, A
  for (int y = n - 1; y >= 0; --y) {
    std::string row(maskRow, '\0');
    for (int x = 0; x < n; ++x)
      if ((image.argb[y * n + x] >> 24) == 0) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
    b += row;
  }
  return b;
}

}  // namespace

void WriteIco(const std::string& path, const std::vector<IcoImage>& images) {
  std::string head, data;
  Put(head, 0, 2);
  Put(head, 1, 2);  // an icon, not a cursor
  Put(head, static_cast<std::uint32_t>(images.size()), 2);
  const std::size_t first = 6 + 16 * images.size();
  for (const IcoImage& image : images) {
    const std::string bitmap = Bitmap(image);
    Put(head, image.size % 256, 1);  // 0 stands for 256
    Put(head, image.size % 256, 1);
    Put(head, 0, 2);  // no palette, reserved
    Put(head, 1, 2);
    Put(head, 32, 2);
    Put(head, static_cast<std::uint32_t>(bitmap.size()), 4);
    Put(head, static_cast<std::uint32_t>(first + data.size()), 4);
    data += bitmap;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << head << data;
  if (!out) throw Error("Cannot write " + path);
}

}  // namespace quo::writers
