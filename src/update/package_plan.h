// The packages of an update before and after their download: the facts the action file gives,
// the room they need, the stale files a verified update clears away, and the check of a package
// that arrived against its facts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/crypto.h"
#include "update/verified_update.h"

namespace quo {

class AppContext;
struct UpdateRun;

// The facts of packages 1 to packageCount; nullopt when one is not a plain file name, or, with the
// offending line in why, when its facts are malformed.
std::optional<std::vector<PackageFacts>> ReadPackages(AppContext& app,
                                                      const std::string& actionsPath,
                                                      int packageCount, std::string& why);

// "" when the download folders and the product folder have room for the packages of known size
// (the archive and its extraction, then the copy into the product folder, whose backups are the
// old files renamed); else the translated reason naming the folder.
std::string CheckRoom(UpdateRun& run, const std::vector<PackageFacts>& packages);

// Removes from the download folders every file but the server's lists, action file and their
// signatures, and the partial downloads of packages that will be verified: nothing an earlier
// run left can be installed in place of a verified package. "" or the file that could not go.
std::string ClearStaleDownloads(UpdateRun& run, const std::vector<PackageFacts>& packages);

// "" when the package file at path has the size and the digest (when given) its facts tell; else
// what differed (translated).
std::string CheckPackage(AppContext& app, const PackageFacts& package, const std::string& path,
                         const std::optional<Sha256Digest>& digest);

}  // namespace quo
