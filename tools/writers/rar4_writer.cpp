#include "writers/rar4_writer.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace quo::writers {

namespace {

constexpr char kMarker[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr std::uint8_t kMainHead = 0x73, kFileHead = 0x74, kEndArc = 0x7B;
constexpr std::uint16_t kLongBlock = 0x8000, kLarge = 0x0100, kUnicode = 0x0200,
                        kDirectory = 0x00E0, kPassword = 0x0004, kEndNoNext = 0x4000;
constexpr std::uint8_t kStore = 0x30, kVersion = 29;
// 2026-12-06 10:00:00 as a DOS date and time.
constexpr std::uint32_t kDosTime =
    (46u << 25) | (12u << 21) | (6u << 16) | (10u << 11) | (0u << 5) | 0u;

std::uint32_t Crc32(const char* p, std::size_t n, std::uint32_t crc = 0) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i)
    crc = table[(crc ^ static_cast<unsigned char>(p[i])) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void Put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(s, static_cast<std::uint16_t>(v >> 16));
}

// Completes a block: s holds the type, flags and size fields and the rest of the header; the
// checksum is put in front.
std::string Seal(const std::string& body) {
  std::string out;
  Put16(out, static_cast<std::uint16_t>(Crc32(body.data(), body.size()) & 0xFFFF));
  return out + body;
}

std::vector<std::uint32_t> CodePoints(const std::string& s) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::uint32_t cp = n == 1 ? c : c & (0x3F >> (n - 1));
    for (int k = 1; k < n && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += n;
  }
  return out;
}

// The name field: plain bytes for ASCII names (and names asked raw); otherwise an ASCII
// stand-in, a zero byte and the Unicode name encoded with a high byte of 0 and every character as
// two bytes (op 2).
std::string NameField(const std::string& name, bool raw, bool& unicode) {
  unicode = false;
  if (raw) return name;
  const auto cps = CodePoints(name);
  for (auto cp : cps) unicode = unicode || cp >= 0x80;
  if (!unicode) return name;
  std::vector<std::uint16_t> units;
  for (auto cp : cps) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units.push_back(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
      units.push_back(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      units.push_back(static_cast<std::uint16_t>(cp));
    }
  }
  std::string field;
  for (auto cp : cps) field += cp < 0x80 ? static_cast<char>(cp) : '_';
  field += '\0';
  field += '\0';  // high byte
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (i % 4 == 0) field += static_cast<char>(0xAA);  // four "two bytes" operations
    field += static_cast<char>(units[i] & 0xFF);
    field += static_cast<char>(units[i] >> 8);
  }
  return field;
}

std::string MainHeader() {
  std::string b;
  b += static_cast<char>(kMainHead);
  Put16(b, 0);
  Put16(b, 13);
  Put16(b, 0);
  Put32(b, 0);
  return std::string(kMarker, sizeof kMarker) + Seal(b);
}

std::string EndBlock() {
  std::string b;
  b += static_cast<char>(kEndArc);
  Put16(b, kEndNoNext);
  Put16(b, 7);
  return Seal(b);
}

std::uint32_t Attributes(const Rar4Entry& e) {
  using K = Rar4Entry::Kind;
  if (e.hostOs == 3) {
    const std::uint32_t mode =
        e.kind == K::Directory ? 040755 : e.kind == K::Symlink ? 0120777 : 0100644;
    return e.unixMode == 0 ? mode : (mode & ~07777u) | (e.unixMode & 07777u);
  }
  return e.kind == K::Directory ? 0x10 : 0x20;
}

std::string FileHeader(const Rar4Entry& e, std::uint64_t packed, std::uint64_t unpacked,
                       std::uint32_t dataCrc) {
  bool unicode = false;
  const std::string name = NameField(e.name, e.rawName, unicode);
  const bool large = packed > 0xFFFFFFFFu || unpacked > 0xFFFFFFFFu;
  std::uint16_t flags = kLongBlock;
  if (unicode) flags |= kUnicode;
  if (large) flags |= kLarge;
  if (e.kind == Rar4Entry::Kind::Directory) flags |= kDirectory;
  if (e.encrypted) flags |= kPassword;
  std::string b;
  b += static_cast<char>(kFileHead);
  Put16(b, flags);
  Put16(b, static_cast<std::uint16_t>(32 + (large ? 8 : 0) + name.size()));
  Put32(b, static_cast<std::uint32_t>(packed));
  Put32(b, static_cast<std::uint32_t>(unpacked));
  b += static_cast<char>(e.hostOs);
  Put32(b, dataCrc);
  Put32(b, kDosTime);
  b += static_cast<char>(kVersion);
  b += static_cast<char>(kStore);
  Put16(b, static_cast<std::uint16_t>(name.size()));
  Put32(b, Attributes(e));
  if (large) {
    Put32(b, static_cast<std::uint32_t>(packed >> 32));
    Put32(b, static_cast<std::uint32_t>(unpacked >> 32));
  }
  return Seal(b + name);
}

std::string EntryHeader(const Rar4Entry& e) {
  const std::uint64_t size = e.data.size();
  return FileHeader(e, e.packedSize.value_or(size), e.unpackedSize.value_or(size),
                    Crc32(e.data.data(), e.data.size()));
}

}  // namespace

Rar4Entry Rar4File(std::string name, std::string data) {
  return Rar4Entry{std::move(name), std::move(data)};
}
Rar4Entry Rar4Dir(std::string name) {
  Rar4Entry e{std::move(name), ""};
  e.kind = Rar4Entry::Kind::Directory;
  return e;
}
Rar4Entry Rar4Symlink(std::string name, std::string target) {
  Rar4Entry e{std::move(name), std::move(target)};
  e.kind = Rar4Entry::Kind::Symlink;
  e.hostOs = 3;
  return e;
}

Rar4Image BuildRar4(const std::vector<Rar4Entry>& entries, bool endBlock) {
  Rar4Image img;
  img.bytes = MainHeader();
  for (const Rar4Entry& e : entries) {
    img.headers.push_back(img.bytes.size());
    img.bytes += EntryHeader(e);
    img.data.push_back(img.bytes.size());
    img.bytes += e.data;
    img.dataEnd.push_back(img.bytes.size());
  }
  if (endBlock) img.bytes += EndBlock();
  return img;
}

std::string Rar4Image::WithBadHeaderCrc(std::size_t i) const {
  std::string out = bytes;
  out[headers.at(i)] = static_cast<char>(out[headers.at(i)] ^ 0x5A);
  return out;
}

std::string Rar4Image::TruncatedInData(std::size_t i) const {
  return bytes.substr(0, data.at(i) + (dataEnd.at(i) - data.at(i)) / 2);
}

void WriteRar4(const std::string& path, const std::vector<Rar4Entry>& entries) {
  Rar4Writer w(path);
  for (const Rar4Entry& e : entries) w.Add(e);
  w.Finish();
}

Rar4Writer::Rar4Writer(const std::string& path) : f_(std::fopen(path.c_str(), "wb")) {
  if (f_ == nullptr) throw std::runtime_error("cannot create " + path);
  const std::string head = MainHeader();
  std::fwrite(head.data(), 1, head.size(), f_);
}

Rar4Writer::~Rar4Writer() {
  if (f_ != nullptr) std::fclose(f_);
}

void Rar4Writer::Add(const Rar4Entry& e) {
  const std::string h = EntryHeader(e);
  std::fwrite(h.data(), 1, h.size(), f_);
  std::fwrite(e.data.data(), 1, e.data.size(), f_);
}

void Rar4Writer::AddGenerated(const std::string& name, std::uint64_t size,
                              const std::function<void(char*, std::size_t, std::uint64_t)>& fill) {
  // The header needs the data's checksum: write it with a placeholder and patch it afterwards.
  Rar4Entry e{name, ""};
  const long headerPos = std::ftell(f_);
  std::string h = FileHeader(e, size, size, 0);
  std::fwrite(h.data(), 1, h.size(), f_);
  std::vector<char> buf(1 << 20);
  std::uint32_t crc = 0;
  for (std::uint64_t off = 0; off < size;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), size - off));
    fill(buf.data(), n, off);
    crc = Crc32(buf.data(), n, crc);
    std::fwrite(buf.data(), 1, n, f_);
    off += n;
  }
  h = FileHeader(e, size, size, crc);
  std::fseek(f_, headerPos, SEEK_SET);
  std::fwrite(h.data(), 1, h.size(), f_);
  std::fseek(f_, 0, SEEK_END);
}

void Rar4Writer::Finish() {
  const std::string end = EndBlock();
  std::fwrite(end.data(), 1, end.size(), f_);
  if (std::fclose(f_) != 0) {
    f_ = nullptr;
    throw std::runtime_error("cannot write archive");
  }
  f_ = nullptr;
}

}  // namespace quo::writers
