// The installer's start: finding the disc, the language, the setup header,
// and the whole run from the entry point to the closing message.
#pragma once

#include "platform.h"

namespace setup {
// The entry point's work. Only `instance` is used. Returns the exit code.
int WinMain(plat::Instance instance, plat::Instance previous, char* commandLine, int showCommand);
}  // namespace setup

// Makes the root of the first CD-ROM drive (C: to Z:) that holds
// "data\kelvora.exe" the current folder. 1 when found, else 0 and the
// current folder is unchanged.
int FindGameDisc();
// Sets languageIndex from the system's default language (language.h).
void PickLanguage();
// Reads the setup header from "cd1" of sourceFolder and composes the default
// target folder. 1 when "cd1" opened, else 0.
int ReadSetupHeader();
