// For the fuzz targets that run the installer: its records as at start-up,
// English texts, the disc in E: and the target folder T:\game.
#pragma once

#include <cstring>

#include "compose.h"
#include "install.h"
#include "progress.h"
#include "setup_state.h"

namespace fuzzenv {

inline void StartInstall() {
  std::memset(&setupState, 0, sizeof setupState);
  setupState.languageIndex = 2;
  CopyCut(setupState.sourceFolder, sizeof setupState.sourceFolder, "E:");
  CopyCut(setupState.targetFolder, sizeof setupState.targetFolder, "T:\\game");
  copyState.discIndex = 0;
  copyState.bytesDone = 0;
  progressView.cancelRequested = 0;
  copyState.outcome = CopyOutcome::kNotRun;
  copyState.progress = &progressView;
  progressView.lastPercent = -1;
  progressView.finished = 0;
}

}  // namespace fuzzenv
