// The install run: the progress dialog around the copy of every disc, the
// data folder, the uninstall record, the web link and the extra shortcuts.
#pragma once

// Exit codes of the process.
enum ExitCode : int {
  kExitInstalled = 0,  // "Sucess!!" was shown; also the early "not found" exits
  kExitCancelled = 1,  // CANCEL in the path dialog, or the copy was cancelled
  kExitDeclinedDisc = 2,  // the user gave up at the "Next Disc" prompt
  kExitFailed = 3,     // damaged disc, a file that could not be written, no memory
  kExitShortcutsMissing = 4,  // installed and registered, but a shortcut could not be made (told)
};

// Runs the whole installation into setupState.targetFolder and returns the
// process's exit code: "Sucess!!" is shown only when every
// disc, the data folder and "uninstall.dat" were written completely and
// every shortcut was made; a game installed without some of its shortcuts
// gets a box naming them instead.
int RunInstall();
