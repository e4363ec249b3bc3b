// Where a package section's file goes. Directories are returned with a trailing "/", so a path is
// the directory followed by the file name.
//
// The four rules, tested in this order on the section's destination:
//   empty                      the installation root;
//   contains "system32"        the system32 directory found along PATH;
//   else contains "system"     the system directory beside it;
//   anything else              a subdirectory of the root ("\" read as "/": Plugins\Images).
// The tests are case-sensitive: System32 is a subdirectory named System32.
//
// Nothing may be written outside the root and the system directories, so a subdirectory that is
// absolute or has a ".." component, and a file name that is not a plain name, are refused with an
// Error, as is a system directory that PATH does not name.
#pragma once

#include <string>

namespace quo {

class AppContext;
struct UpdateRun;

struct TargetDir {
  std::string dir;            // with a trailing "/"
  bool subdirectory = false;  // the fourth rule
};

// The installation root with a trailing "/" (throws when it is empty or not absolute).
std::string InstallRoot(const UpdateRun& run);
TargetDir TargetDirectory(const UpdateRun& run, const std::string& destination);

// The folder of path, a file that an installation into root may write, or a backup it may make:
// root (with its trailing "/") followed by a subdirectory as the fourth rule gives it, or a system
// directory, then a plain file name; and below root no link stands on the way. Throws Error
// saying what is wrong. What a journal names is held to this, as what an action file names is.
std::string CheckTargetPath(AppContext& app, const std::string& root, const std::string& path);
// Whether two folders, or a path and a folder, are the same place or the path lies in the folder,
// by their text as the system compares names (on Windows "\" is "/" and case is ignored).
bool SameFolder(const std::string& a, const std::string& b);
bool IsWithin(const std::string& path, const std::string& folder);

// The file name of a package section: refuses (throws) a name that is not a plain file name
// (IsPlainFileName).
void CheckSectionName(const std::string& section);

// The first absolute PATH entry whose last 8 characters are "system32" in any case, with a
// trailing "/"; with system true the same without its last 2 characters (…/system). "" when PATH
// has none.
std::string SystemDirFromPath(AppContext& app, bool system);
// The environment variable's value, "" when it is not set.
std::string ReadEnvVar(AppContext& app, const std::string& name);

// The backup of file in dir: dir + "OLD" + file + "Back".
std::string BackupName(const std::string& dir, const std::string& file);
// The download folder the packages are copied from: the program directory + "Download/".
std::string DownloadDir(const AppContext& app);

}  // namespace quo
