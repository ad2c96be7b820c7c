// The keys of the setup text files in the disc's setupdata folder, as setup
// reads them and the authoring tool writes them: "message.ini" holds a row
// KEY<TAB>TEXT per message, KEY being a message key's name followed by its
// language's suffix; "setupdata.ini" lists the extra shortcuts, at most
// kMaxExtraLinks of them.
#pragma once

#include "language.h"

// The two files, below the disc root and by their names in the folder.
constexpr char kMessageFile[] = "setupdata\\message.ini";
constexpr char kLinksFile[] = "setupdata\\setupdata.ini";
constexpr char kMessageFileName[] = "message.ini";
constexpr char kLinksFileName[] = "setupdata.ini";
// A row of the links file begins with this key and the link's number from 0.
constexpr char kExtraLinkKey[] = "Extra_Link";

// In the order in which they are stored and matched.
enum MessageKey : int {
  kProgramName,
  kNextCd,
  kUninstall,
  kUrlFileName,
  kUrlName,
  kCancelMsg,
  kFailMsg,
  kFinishMsg,
  kPathMsg,
  kNeedSpaceMsg,
  kFreeSpaceMsg,
  kButtonBrowse,
  kButtonOk,
  kButtonCancel,
  kMessageKeyCount
};

// The key names as they stand in the file, before the language suffix.
inline constexpr const char* kMessageKeyNames[kMessageKeyCount] = {
    "ProgramName",   "NextCD",        "Uninstall",  "URL_FILENAME",  "URL_NAME",
    "CANCEL_MSG",    "FAIL_MSG",      "FINISH_MSG", "PATH_MSG",      "NEEDSPACE_MSG",
    "FREESPACE_MSG", "BUTTON_BROWSE", "BUTTON_OK",  "BUTTON_CANCEL",
};

// The suffix of each language's keys.
inline constexpr const char* kLanguageSuffixes[kLanguageCount] = {"_TW", "_CN", "_EN"};

constexpr int kMaxExtraLinks = 4;
