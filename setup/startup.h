// The installer's start: finding the disc, the language, the setup header,
// and the whole run from the entry point to the closing message.
#pragma once

#include "platform.h"

// Exit codes of the process.
enum ExitCode : int {
  kExitInstalled = 0,  // "Sucess!!" was shown; also the early "not found" exits
  kExitCancelled = 1,  // CANCEL in the path dialog, or the copy was cancelled
  kExitDeclinedDisc = 2,  // the user gave up at the "Next Disc" prompt
  kExitFailed = 3,     // damaged disc, a file that could not be written, no memory
};

namespace setup {
// The entry point's work. Only `instance` is used. Returns the exit code.
int WinMain(plat::Instance instance, plat::Instance previous, char* commandLine, int showCommand);
}  // namespace setup

// Makes the root of the first CD-ROM drive (C: to Z:) that holds
// "data\kelvora.exe" the current folder. 1 when found, else 0 and the
// current folder is unchanged.
int FindGameDisc();
// Sets languageIndex from the system's default language.
void PickLanguage();
// Reads the setup header from "cd1" of sourceFolder and composes the default
// target folder. 1 when "cd1" opened, else 0.
int ReadSetupHeader();
