// An update folder as the signing tool sees it: the packages its Actions.ini names, the file the
// server holds for each (the archive for a compressed one), and their SHA-256 and size, written
// into the action file or checked against it.
#pragma once

#include <string>
#include <vector>

namespace quo::sign {

// The folder's Actions.ini bytes with `sha256=` and `taille=` of every package section set in
// place: every other byte kept, the file's code page and line ends too. Throws Error when the
// action file names no valid version or package, or a package file cannot be read.
std::string StampedActions(const std::string& folder);

// One line per package whose file is missing or differs from its `sha256=` / `taille=`, or one
// line for an action file that cannot be used; empty when every package holds.
std::vector<std::string> CheckPackages(const std::string& folder);

}  // namespace quo::sign
