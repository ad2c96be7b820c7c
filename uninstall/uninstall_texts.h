// The uninstaller's own texts in the three languages of setup, chosen as
// setup chooses its language (language.h) and held in that language's
// code page.
#pragma once

enum UninstallTextId : int {
  kTextCaption,   // the caption of every box
  kTextAsk,       // %s: the game
  kTextDone,      // %s: the game
  kTextPartly,    // %s: the game
  kTextKept,      // %s: the game's folder
  kTextNoLog,     // %s: the install log's path
  kTextMore,      // %d: how many more
  kTextRemoving,  // %s: what is being removed
  kTextCount
};

// Picks the language from the system's default language, converts the texts
// into its code page and returns that code page (for the boxes).
unsigned LoadUninstallTexts();
// A text of the loaded language; empty before LoadUninstallTexts.
const char* UninstallText(UninstallTextId id);
