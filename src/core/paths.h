// Paths and file names as text: the name and the folder of a path, and the plain file name.
#pragma once

#include <string>
#include <string_view>

namespace quo {

// The separators of a path: "/" inside the program; "/" and "\" where "\" separates too (paths
// of the server's files, Windows paths).
inline constexpr std::string_view kSlash = "/";
inline constexpr std::string_view kAnySlash = "/\\";

// path with every "\" read as "/", the program's own separator.
std::string Slashes(std::string path);
// A folder as the program carries it, with a final "/" ("" gives "/").
std::string WithSlash(std::string folder);

// The name after the last separator (the whole path without one, "" after a final separator),
// and the folder before it with that separator ("" without one). FolderOf(p) + BaseName(p) == p.
std::string BaseName(std::string_view path, std::string_view separators = kSlash);
std::string FolderOf(std::string_view path, std::string_view separators = kSlash);

// A name that may become a file of a folder the program writes in, as the server's action file
// names its packages: not empty, at most 255 bytes, not starting with "." (such a file counts
// as absent, so no backup of it could be made), without "..", "/", "\", ":" (a drive, or a
// second stream on Windows) or a control character.
bool IsPlainFileName(std::string_view name);

}  // namespace quo
