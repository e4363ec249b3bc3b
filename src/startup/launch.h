// The start-up sequence up to the window: single instance, translation export, the command
// line and its log lines, the server settings, the language, and the schedule. It decides,
// before any window or heavy library is loaded, whether the run goes on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "startup/command_line.h"

namespace quo {

class AppContext;

enum class LaunchMode {
  Interactive,     // no command line
  BadCommandLine,  // fewer than two fields, or field 1 or 2 empty: window without language
                   // (refused when unattended)
  Launched,        // by the product, schedule checked: search and install without asking
  Forced,          // by the product, field 4 non-zero: search, installation left to the user
};

struct ServerSettings {
  std::string password, user, address, serverDir, installDir;
};

struct LaunchPlan {
  bool proceed = false;    // false: the process ends now, with status
  int status = 0;          // the exit status when the process ends before the window
  // Set when an error ended the sequence: shown in a message box (for kExitBusy only said on
  // standard error: another instance is already showing its window).
  std::string error;
  LaunchMode mode = LaunchMode::Interactive;
  CommandLine commandLine;
  ServerSettings settings;  // defaults applied; field 5 already put in Adresse
  bool languageGiven = false;
  int language = 0;
};

// Finishes or undoes an installation of productFolder that a kill or a power cut interrupted;
// "" when the product is whole again, else why not.
using RecoverFn = std::function<std::string(AppContext&, const std::string& productFolder)>;

// With recover, a journal left by an interrupted installation is dealt with right after the
// command line is split, in every mode, for the product folder this start is about (the command
// line's, else the settings' Destination): a recovery that fails, or a journal set aside or of
// another folder, ends the sequence with its message (status 1).
LaunchPlan PlanLaunch(AppContext& app, const std::vector<std::string>& args,
                      const RecoverFn& recover = {});

// True when the environment asks for a run that waits for nobody (QUOUPDATE_UNATTENDED=1).
bool UnattendedStart(const AppContext& app);

// The server settings of section "Server" with their defaults (the default server address, the
// program folder as installation folder).
ServerSettings ReadServerSettings(AppContext& app);

}  // namespace quo
