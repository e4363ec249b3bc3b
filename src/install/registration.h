// Component registration: the commands that register a component after it is installed (or
// restored) and unregister the one it replaces. The commands are started as separate processes
// from an argument vector and are not waited for.
//
//   kind "dll", "ocx"  the platform's in-process registrar: <tool> /s <path>, <tool> /u /s <path>.
//                      POSIX has no such tool: these kinds have nothing to register there.
//   kind "exeX"        the file itself: <path> /REGSERVER, <path> /UNREGSERVER.
//   any other kind     nothing (the kind is compared exactly: DLL registers nothing).
#pragma once

#include <string>
#include <vector>

namespace quo {

class AppContext;
class Processes;
struct UpdateRun;

// The command for kind, as an argument vector; empty when there is nothing to start.
std::vector<std::string> RegistrationCommand(Processes* processes, const std::string& kind,
                                             const std::string& path, bool unregister);

// Waits for path to exist (21 checks, 50 ms apart, copying sourceName from the download folder
// again while it is missing, unless sourceName is empty), then starts the register command. False
// when the file never appeared (a " Introuvable" line is added to errorText) or an error was
// raised (shown in an "Enregistrement" message box, then added to errorText). A dll or ocx that
// this system cannot register stays installed and is added to the run's componentsNotRegistered.
bool RegisterComponent(UpdateRun& run, const std::string& path, const std::string& kind,
                       const std::string& sourceName);
// The same wait without copying, then the unregister command, waited for; reports nothing.
void UnregisterComponent(AppContext& app, const std::string& path, const std::string& kind);

}  // namespace quo
