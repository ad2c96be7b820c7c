// uninstall.exe: removes a game again, from the install log that setup left
// in the game's folder (install_log.h), and nothing else.
//
// Started from the game's folder with no arguments (the "Uninstall"
// shortcut, or the list of installed programs running the registered
// command), it asks once whether to remove the game, removes every file and
// shortcut the log names, then every logged folder that is then empty
// (deepest first), the Programs-menu folders setup made if empty, and the
// registry key, then uninstall.dat and the log; files it did not log (saved
// games, settings) stay, with their folders, and the closing box says which
// and where. A copy of the program, in a new folder of the system's
// temporary folder that only administrators can change, then waits for this
// process to end, deletes uninstall.exe and the empty folders setup made for
// the game, and goes itself with its folder when it ends.
//
// It never removes anything outside the game's folder but its copy's
// folder, the logged shortcut and web-link files (in the Programs menu or on
// the desktop), the empty menu folders and folders above the game's folder
// that setup made, and the game's key below the list of installed programs. An entry that
// would leave its folder (the rules of stored paths) is refused, and nothing
// below a junction or symbolic link is touched. A missing or damaged log
// removes nothing.
#pragma once

#include <string>

#include "platform.h"

namespace uninstall {

// The exit codes.
enum ExitCode : int {
  kExitRemoved = 0,         // all the log names is gone (files it did not name may stay)
  kExitCancelled = 1,       // the player answered No
  kExitPartly = 2,          // some of it could not be removed, or was refused
  kExitNothingRemoved = 3,  // no log, a damaged log, or no folder to remove from
};

// The whole program. With no arguments: RemoveGame on the folder the program
// lies in, then the copy that removes the program itself (where no copy can
// be started, the program and those folders are removed at the next
// restart). With "/finish PID "PROGRAM" "FOLDER"...": the copy's part
// (Finish), then it leaves its private folder. Returns the exit code.
int Main(plat::Instance instance, const char* commandLine);

// Asks, removes and tells, for the game installed in `gameFolder`. `self` is
// the running program's path, which is left for the copy. `folders` gets the
// folders the copy is to remove when empty, deepest first.
int RemoveGame(plat::Instance instance, const char* gameFolder, const char* self, std::string* folders);

// The copy's part: waits for process PID to end, deletes PROGRAM (only a
// file named uninstall.exe) and removes each FOLDER that is empty.
int Finish(const char* arguments);

}  // namespace uninstall
