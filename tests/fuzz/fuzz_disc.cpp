// A first disc's archive, run through the real copy engine into T:\game.
// Property: nothing is written outside T:\game, and nothing stays
// allocated or open, whatever the archive holds.
#include <cstring>

#include "compose.h"
#include "fuzz_env.h"
#include "install.h"
#include "progress.h"
#include "setup_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzenv::Env& env = fuzzenv::Get();
  fuzzenv::WriteFile(env.disc + "/cd1", data, size);
  std::memset(&setupState, 0, sizeof setupState);
  setupState.languageIndex = 2;
  CopyCut(setupState.sourceFolder, sizeof setupState.sourceFolder, "E:");
  CopyCut(setupState.targetFolder, sizeof setupState.targetFolder, "T:\\game");
  copyState.discIndex = 0;
  copyState.bytesDone = 0;
  copyState.cancelRequested = 0;
  progressView.lastPercent = -1;
  RunDiscs();
  fuzzenv::CheckAllBelow(env.work, {env.work + "/game"});
  fuzzenv::ClearFolder(env.work);
  fuzzenv::CheckBalance();
  return 0;
}
