// The check of stored paths. Property: a path it accepts under a code page,
// appended to the target folder, resolves inside that folder on a system of
// that code page (Western, traditional and simplified Chinese).
#include <string>

#include "fuzz_env.h"
#include "stored_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzenv::Env& env = fuzzenv::Get();
  const char* payload = reinterpret_cast<const char*>(data);
  const std::string inside = env.work + "/game/";
  for (unsigned codePage : {1252u, 950u, 936u}) {
    if (CheckStoredPath(payload, size, codePage) != PathVerdict::kSafe) continue;
    std::string joined = std::string("T:\\game") + payload;  // up to the zero
    plat::host::SetCodePage(codePage);
    std::string resolved;
    if (!plat::host::ToHostPath(joined.c_str(), &resolved) || resolved.compare(0, inside.size(), inside) != 0) {
      std::fprintf(stderr, "escaped under %u: %s -> %s\n", codePage, joined.c_str(), resolved.c_str());
      std::abort();
    }
  }
  plat::host::SetCodePage(1252);
  return 0;
}
