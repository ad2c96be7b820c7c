// The installer's one process-wide record and its message texts.
#pragma once

#include <cstdint>

#include "install_log.h"
#include "language.h"
#include "message_keys.h"
#include "paint.h"
#include "path_sizes.h"
#include "platform.h"
#include "setup_header.h"

// A message text holds at most 63 bytes and its terminator.
constexpr int kTextSlotSize = 64;
constexpr int kExtraLinkTextSize = 256;

// One extra shortcut listed in "setupdata\setupdata.ini".
struct ExtraLink {
  char file[kExtraLinkTextSize];  // the target, relative to targetFolder
  char name[kExtraLinkTextSize];  // the shortcut's name without ".lnk"
};

// A plain record, zero at process start, alive for the whole process.
struct SetupState {
  plat::Instance instance;  // the module whose resources hold the dialogs
  int32_t languageIndex;  // the column of the texts: a Language
  char texts[kMessageKeyCount][kLanguageCount][kTextSlotSize];
  char sourceFolder[kPathSize];  // the disc root without its backslash
  disc::SetupHeader header;  // as read from the first disc
  char targetFolder[kTargetFolderSize];
  // The install-path dialog's state.
  plat::Window pathDialog;
  int32_t pathAccepted;    // 1 once OK was pressed
  uint32_t freeSpaceMB;    // free space of the target drive, in 1,024,000-byte units
  int32_t spaceSufficient; // 1 when the free space holds the game and a margin
  char needSpaceText[256];
  char freeSpaceText[256];
  PictureBank setupPictures;
  ExtraLink extraLinks[kMaxExtraLinks];
  int32_t extraLinkCount;  // slots filled by the last reading, 0 to 4
};

extern SetupState setupState;

// The record of what this install makes, open while the discs are copied.
extern InstallLogWriter installLog;

// The text of `key` in the running language; an empty slot gives an empty
// text (no other language is tried), as does a key or language out of range.
const char* Text(MessageKey key);
