#include "setup_state.h"

SetupState setupState;

const char* const kMessageKeyNames[kMessageKeyCount] = {
    "ProgramName",   "NextCD",        "Uninstall",  "URL_FILENAME",  "URL_NAME",
    "CANCEL_MSG",    "FAIL_MSG",      "FINISH_MSG", "PATH_MSG",      "NEEDSPACE_MSG",
    "FREESPACE_MSG", "BUTTON_BROWSE", "BUTTON_OK",  "BUTTON_CANCEL",
};

const char* const kLanguageSuffixes[kLanguageCount] = {"_TW", "_CN", "_EN"};

const char* Text(MessageKey key) {
  const int32_t language = setupState.languageIndex;
  if (key < 0 || key >= kMessageKeyCount || language < 0 || language >= kLanguageCount) return "";
  return setupState.texts[key][language];
}
