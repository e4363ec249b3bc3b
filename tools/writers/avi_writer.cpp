#include "writers/avi_writer.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "core/error.h"

namespace quo::writers {

namespace {

class Bytes {
 public:
  void Tag(const char* t) { out.append(t, 4); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
  void U16(std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
  }
  void U8(std::uint8_t v) { out.push_back(static_cast<char>(v)); }
  // Starts a chunk (or a LIST/RIFF with its type); End fills in its size.
  std::size_t Begin(const char* tag, const char* type = nullptr) {
    Tag(tag);
    const std::size_t at = out.size();
    U32(0);
    if (type != nullptr) Tag(type);
    return at;
  }
  void End(std::size_t at) {
    const std::uint32_t size = static_cast<std::uint32_t>(out.size() - at - 4);
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    if (out.size() % 2 != 0) out.push_back(0);
  }
  std::string out;
};

// Rows bottom-up, each padded to 4 bytes.
std::string Uncompressed(const AviImage& image, int width, int height, bool pal8,
                         const std::map<std::uint32_t, int>& palette) {
  std::string data;
  for (int y = height - 1; y >= 0; --y) {
    const std::size_t start = data.size();
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = image[static_cast<std::size_t>(y) * width + x];
      if (pal8) {
        data.push_back(static_cast<char>(palette.at(c)));
      } else {
        data.push_back(static_cast<char>(c & 0xFF));
        data.push_back(static_cast<char>((c >> 8) & 0xFF));
        data.push_back(static_cast<char>((c >> 16) & 0xFF));
      }
    }
    while ((data.size() - start) % 4 != 0) data.push_back(0);
  }
  return data;
}

// RLE8 in encoded mode: (count, index) runs, end of line (0, 0), end of bitmap (0, 1).
std::string Rle8(const AviImage& image, int width, int height,
                 const std::map<std::uint32_t, int>& palette) {
  std::string data;
  for (int y = height - 1; y >= 0; --y) {
    int x = 0;
    while (x < width) {
      const int index = palette.at(image[static_cast<std::size_t>(y) * width + x]);
      int run = 1;
      while (x + run < width && run < 255 &&
             palette.at(image[static_cast<std::size_t>(y) * width + x + run]) == index)
        ++run;
      data.push_back(static_cast<char>(run));
      data.push_back(static_cast<char>(index));
      x += run;
    }
    data.push_back(0);
    data.push_back(static_cast<char>(y == 0 ? 1 : 0));
  }
  return data;
}

}  // namespace

void WriteAvi(const std::string& path, AviKind kind, int width, int height, int fps,
              const std::vector<AviImage>& frames) {
  const bool indexed = kind != AviKind::Rgb24;
  std::map<std::uint32_t, int> palette;
  std::vector<std::uint32_t> colours;
  if (indexed) {
    for (const AviImage& f : frames)
      for (std::uint32_t c : f)
        if (palette.emplace(c & 0xFFFFFF, static_cast<int>(colours.size())).second)
          colours.push_back(c & 0xFFFFFF);
    if (colours.size() > 256) throw Error("More than 256 colours in an 8-bit animation");
  }
  std::vector<std::string> data;
  for (const AviImage& f : frames) {
    if (f.size() != static_cast<std::size_t>(width) * height) throw Error("Bad frame size");
    data.push_back(kind == AviKind::Rle8 ? Rle8(f, width, height, palette)
                                         : Uncompressed(f, width, height, indexed, palette));
  }
  std::size_t largest = 0;
  for (const auto& d : data) largest = std::max(largest, d.size());
  const char* chunkId = kind == AviKind::Rle8 ? "00dc" : "00db";
  const auto count = static_cast<std::uint32_t>(frames.size());

  Bytes b;
  const std::size_t riff = b.Begin("RIFF", "AVI ");
  const std::size_t hdrl = b.Begin("LIST", "hdrl");
  const std::size_t avih = b.Begin("avih");
  b.U32(1000000 / fps);  // microseconds per frame
  b.U32(0);              // max bytes per second
  b.U32(0);              // padding granularity
  b.U32(0x10);           // has an index
  b.U32(count);          // total frames
  b.U32(0);              // initial frames
  b.U32(1);              // streams
  b.U32(static_cast<std::uint32_t>(largest));
  b.U32(width);
  b.U32(height);
  for (int i = 0; i < 4; ++i) b.U32(0);
  b.End(avih);
  const std::size_t strl = b.Begin("LIST", "strl");
  const std::size_t strh = b.Begin("strh");
  b.Tag("vids");
  if (kind == AviKind::Rle8)
    b.Tag("mrle");
  else
    b.U32(0);
  b.U32(0);                                // flags
  b.U16(0);                                // priority
  b.U16(0);                                // language
  b.U32(0);                                // initial frames
  b.U32(1);                                // scale
  b.U32(static_cast<std::uint32_t>(fps));  // rate
  b.U32(0);                                // start
  b.U32(count);                            // length
  b.U32(static_cast<std::uint32_t>(largest));
  b.U32(0xFFFFFFFF);  // quality
  b.U32(0);           // sample size
  b.U16(0);
  b.U16(0);
  b.U16(static_cast<std::uint16_t>(width));
  b.U16(static_cast<std::uint16_t>(height));
  b.End(strh);
  const std::size_t strf = b.Begin("strf");
  b.U32(40);
  b.U32(width);
  b.U32(height);  // positive: rows bottom-up
  b.U16(1);
  b.U16(indexed ? 8 : 24);
  b.U32(kind == AviKind::Rle8 ? 1 : 0);  // BI_RLE8 or BI_RGB
  b.U32(static_cast<std::uint32_t>(largest));
  b.U32(0);
  b.U32(0);
  b.U32(static_cast<std::uint32_t>(colours.size()));
  b.U32(0);
  for (std::uint32_t c : colours) {  // blue, green, red, 0
    b.U8(c & 0xFF);
    b.U8((c >> 8) & 0xFF);
    b.U8((c >> 16) & 0xFF);
    b.U8(0);
  }
  b.End(strf);
  b.End(strl);
  b.End(hdrl);
  const std::size_t movi = b.Begin("LIST", "movi");
  const std::size_t moviType = movi + 4;  // index offsets count from the "movi" type
  std::vector<std::pair<std::size_t, std::size_t>> index;
  for (const auto& d : data) {
    const std::size_t at = b.Begin(chunkId);
    b.out += d;
    b.End(at);
    index.emplace_back(at - 4 - moviType, d.size());
  }
  b.End(movi);
  const std::size_t idx1 = b.Begin("idx1");
  for (const auto& [offset, size] : index) {
    b.Tag(chunkId);
    b.U32(0x10);  // key frame
    b.U32(static_cast<std::uint32_t>(offset));
    b.U32(static_cast<std::uint32_t>(size));
  }
  b.End(idx1);
  b.End(riff);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(b.out.data(), static_cast<std::streamsize>(b.out.size()));
  if (!out) throw Error("Cannot write " + path);
}

}  // namespace quo::writers
