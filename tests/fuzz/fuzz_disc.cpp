// A first disc's archive, run through the real copy engine into T:\game.
// Property: nothing is written outside T:\game, and nothing stays
// allocated or open, whatever the archive holds.
#include "fuzz_env.h"
#include "fuzz_install.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzenv::Env& env = fuzzenv::Get();
  fuzzenv::WriteFile(env.disc + "/cd1", data, size);
  fuzzenv::StartInstall();
  RunDiscs();
  fuzzenv::CheckAllBelow(env.work, {env.work + "/game"});
  fuzzenv::ClearFolder(env.work);
  fuzzenv::CheckBalance();
  return 0;
}
