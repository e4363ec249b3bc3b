// The small readers, one per input (its first byte picks it): base64, hexadecimal, version texts,
// settings dates, server addresses and the Windows command tail. Nothing may crash, and what a
// reader accepts must read back to itself once written again; a mismatch aborts.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/dates.h"
#include "core/base64.h"
#include "core/version_order.h"
#include "core/ftp_address.h"
#include "core/text.h"
#include "core/command_tail.h"

namespace {

void Check(bool ok, const char* what, const std::string& input) {
  if (ok) return;
  std::fprintf(stderr, "%s does not read back: \"%s\"\n", what, input.c_str());
  std::abort();
}

// Decoded, encoded again, the same text (one text per value); any bytes encoded read back.
void Base64(const std::string& text) {
  if (const auto bytes = quo::Base64Decode(text))
    Check(quo::Base64Encode(*bytes) == text, "base64", text);
  Check(quo::Base64Decode(quo::Base64Encode(text)) == text, "base64 of bytes", text);
}

void Hex(const std::string& text) {
  if (const auto bytes = quo::HexDecode(text)) {
    Check(quo::HexDecode(quo::HexEncode(*bytes)) == bytes, "hexadecimal", text);
    Check(quo::EqualsIgnoreCase(quo::HexEncode(*bytes), text), "hexadecimal digits", text);
  }
  Check(quo::HexDecode(quo::HexEncode(text)) == text, "hexadecimal of bytes", text);
}

// Two versions, one a line: each accepted one equals its numbers written plainly, and their order
// is the order of their numbers.
void Versions(const std::string& text) {
  const auto cut = text.find('\n');
  const std::string a = text.substr(0, cut), b = cut == text.npos ? a : text.substr(cut + 1);
  const auto numbers = [](const std::string& v) {
    std::array<long long, 3> n{};
    const auto parts = quo::Split(v, '.');
    for (int i = 0; i < 3; ++i) n[i] = std::stoll(parts[i]);
    return n;
  };
  for (const std::string& v : {a, b}) {
    if (!quo::IsVersionText(v)) continue;
    const auto n = numbers(v);
    const std::string plain =
        std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]);
    Check(quo::IsVersionText(plain) && numbers(plain) == n, "version", v);
    Check(!quo::IsNewerVersion(v, plain) && !quo::IsNewerVersion(plain, v), "version order", v);
  }
  if (quo::IsVersionText(a) && quo::IsVersionText(b))
    Check(quo::IsNewerVersion(a, b) == (numbers(a) < numbers(b)), "version order", text);
}

// Read in either form, written, the same date; its ISO form too.
void Date(const std::string& text) {
  const auto d = quo::ParseDate(text);
  if (!d) return;
  const std::string written = quo::FormatDate(*d);
  Check(quo::ParseDate(written) == d && quo::FormatDate(*quo::ParseDate(written)) == written,
        "date", text);
  char iso[64];
  std::snprintf(iso, sizeof iso, "%04d-%02d-%02d %02d:%02d:%02d", d->year, d->month, d->day,
                d->hour, d->minute, d->second);
  Check(quo::ParseDate(iso) == d, "ISO date", text);
}

// Only a name or an IPv6 address reaches the transfer library, and it is written back as a text
// that reads the same host and port.
void Address(const std::string& text) {
  const auto a = quo::ParseFtpAddress(text, quo::kFtpDefaultPort);
  if (!a) return;
  Check(!a->host.empty() &&
            a->host.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"
                                      "ABCDEFGHIJKLMNOPQRSTUVWXYZ-.:") == std::string::npos,
        "address host", text);
  const std::string written = quo::FormatFtpAddress(*a, quo::kFtpDefaultPort);
  const auto b = quo::ParseFtpAddress(written, quo::kFtpDefaultPort);
  Check(b && b->host == a->host && b->port == a->port &&
            quo::FormatFtpAddress(*b, quo::kFtpDefaultPort) == written,
        "address", text);
}

// A program name and the fields a launcher writes after it ("\0" between them): the program reads
// the fields back as written, after a plain or a quoted program name, and from within one pair of
// quotes when they hold none.
void Tail(const std::string& text) {
  quo::CommandTail(text);
  const auto cut = text.find('\0');
  if (cut == text.npos) return;
  std::string name;
  for (const char c : text.substr(0, cut))
    if (c != '"' && c != ' ' && c != '\t') name += c;
  if (name.empty()) name = "QuoUpdate.exe";
  const std::string tail = text.substr(cut + 1);
  const bool blankFirst = !tail.empty() && (tail[0] == ' ' || tail[0] == '\t');
  const bool quotedWhole =
      tail.size() >= 2 && tail[0] == '"' && tail.find('"', 1) == tail.size() - 1;
  if (!blankFirst && !quotedWhole) {
    Check(quo::CommandTail(name + " " + tail) == tail, "command tail", text);
    Check(quo::CommandTail("\"C:\\Program Files\\" + name + "\" \t" + tail) == tail,
          "command tail after a quoted name", text);
  }
  if (tail.find('"') == tail.npos)
    Check(quo::CommandTail(name + " \"" + tail + "\"") == tail, "quoted command tail", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  static void (*const kReaders[])(const std::string&) = {Base64, Hex,     Versions,
                                                         Date,   Address, Tail};
  kReaders[data[0] % std::size(kReaders)](text);
  return 0;
}
