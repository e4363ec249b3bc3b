// The files of an update in the download folders: the names the server uses and the checks made
// on names that come from server files.
#pragma once

#include <string>

namespace quo {

class AppContext;

inline constexpr const char* kVersionListFile = "ListMaj.ini";
inline constexpr const char* kActions = "Actions.ini";
// A file's signature lies beside it, under its name followed by this.
inline constexpr const char* kSignatureSuffix = ".sig";
// The largest list, action file and signature accepted from a server: refused as soon as the
// server's size or the bytes received pass them.
inline constexpr long long kMaxListBytes = 16LL << 20;
inline constexpr long long kMaxSignatureBytes = 4096;
// The most packages an action file may name: the installation counts its sections with a
// 16-bit counter that cannot step past 32 767.
inline constexpr int kMaxPackages = 32766;

// Deletes a copy left by an earlier run so that a failed download cannot be mistaken for a
// fresh one. False when a file is still there afterwards.
bool RemoveStale(AppContext& app, const std::string& path);

// The archive that holds a compressed package: the name up to its last "." followed by ".rar"
// (a name without "." just gets ".rar").
std::string ArchiveNameOf(const std::string& package);

// The folder of downloaded archives beside the download folder: ".../Download/" gives
// ".../DownloadZip/".
std::string ArchiveDirOf(const std::string& dir);

}  // namespace quo
