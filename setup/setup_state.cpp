#include "setup_state.h"

SetupState setupState;
InstallLogWriter installLog;

const char* Text(MessageKey key) {
  const int32_t language = setupState.languageIndex;
  if (key < 0 || key >= kMessageKeyCount || language < 0 || language >= kLanguageCount) return "";
  return setupState.texts[key][language];
}
