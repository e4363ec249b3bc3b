// Verified updates. With at least one trusted key (built in, or [Server] CleSignature), each file
// the search reads from the server must carry a signature by one of them ("<file>.sig": base64 of
// the 64-byte Ed25519 signature of its exact bytes), and a signed action file must give the size
// and SHA-256 of every package, so that every byte installed is the publisher's. Without a
// trusted key updates are taken as they come. Any action file may give a package's facts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quo {

class AppContext;
struct UpdateRun;

inline constexpr std::int64_t kMaxPackageBytes = 8LL << 30;

// The trusted public keys (raw bytes); bad is the text of one that is not a key (every update is
// then refused: a key was meant to be trusted).
struct TrustedKeys {
  std::vector<std::string> keys;
  std::string bad;
};
TrustedKeys ReadTrustedKeys(AppContext& app);

// "" when sigPath holds a signature of the file at path by one of keys; else the translated
// reason with the file's name.
std::string CheckSignature(AppContext& app, const std::vector<std::string>& keys,
                           const std::string& path, const std::string& name);

// What the action file tells of one package: the file on the server (the archive of a compressed
// package), and its size and SHA-256 when given.
struct PackageFacts {
  std::string name, file;
  bool compressed = false;
  std::int64_t size = -1;
  std::optional<std::string> sha256;  // 32 raw bytes
  bool Verifiable() const { return size >= 0 && sha256.has_value(); }
};
// nullopt, with the offending line in why, when sha256 is not 64 hex digits or taille is not a
// whole number from 0 to 8 GiB.
std::optional<PackageFacts> ReadPackageFacts(AppContext& app, const std::string& actionsPath,
                                             const std::string& name, std::string& why);

// The rules a signed action file must meet: every package with its facts, the installed version
// among versionsDepart when given, and a newer version than the installed one. "" or the
// translated reason.
std::string CheckSignedActions(UpdateRun& run, const std::string& actionsPath);

}  // namespace quo
