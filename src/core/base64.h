// Text forms of binary values: base64 (RFC 4648, with padding) for keys and signatures, and
// lowercase hexadecimal for digests.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quo {

std::string Base64Encode(std::string_view bytes);
// Strict: only the standard alphabet, padding to a multiple of 4, no spaces inside, unused bits
// zero. nullopt for anything else.
std::optional<std::string> Base64Decode(std::string_view text);

std::string HexEncode(std::string_view bytes);
// Upper or lower case digits, an even count; nullopt otherwise.
std::optional<std::string> HexDecode(std::string_view text);

}  // namespace quo
