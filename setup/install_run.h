// The install run: the progress dialog around the copy of every disc, the
// data folder, the uninstall record, the web link and the extra shortcuts.
#pragma once

// Runs the whole installation into setupState.targetFolder and returns the
// process's exit code (see startup.h): "Sucess!!" is shown only when every
// disc, the data folder and "uninstall.dat" were written completely.
int RunInstall();
// The progress dialog's title (ProgramName) and its button's "CANCEL".
void SetProgressCaptions();
