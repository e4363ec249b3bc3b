// The files of an update in the download folders: the names the server uses and the checks made
// on names that come from server files.
#pragma once

#include <string>

namespace quo {

class AppContext;

inline constexpr const char* kListMaj = "ListMaj.ini";
inline constexpr const char* kActions = "Actions.ini";

// Deletes a copy left by an earlier run so that a failed download cannot be mistaken for a
// fresh one. False when a file is still there afterwards.
bool RemoveStale(AppContext& app, const std::string& path);

// The archive that holds a compressed package: the name up to its last "." followed by ".rar"
// (a name without "." just gets ".rar").
std::string NomArchive(const std::string& package);

// A package name from the action file is a plain file name: not empty, at most 255 bytes, no
// "/", "\", ":" or control character, not "." or "..".
bool IsPackageName(const std::string& name);

// The folder of downloaded archives beside the download folder: ".../Download/" gives
// ".../DownloadZip/".
std::string DossierCompresse(const std::string& dossier);

}  // namespace quo
