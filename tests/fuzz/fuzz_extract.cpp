// A first disc's archive taken apart by gamedisc extract into a real folder.
// Property: whatever the archive holds, nothing is written outside the
// output folder, nothing there is a link, and nothing stays allocated or
// open.
#include <stdlib.h>

#include <filesystem>

#include "extract.h"
#include "fuzz_env.h"

namespace {

namespace fs = std::filesystem;

// The real folder the output folder lies in, as drive O:.
const std::string& OutputBase() {
  static std::string base;
  if (base.empty()) {
    base = fuzzenv::RealFolder("fuzz-extract");
    plat::host::MapDrive('O', base, plat::kDriveFixed);
  }
  return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzenv::Env& env = fuzzenv::Get();
  const std::string& base = OutputBase();
  fuzzenv::WriteFile(env.disc + "/cd1", data, size);
  gamedisc::ExtractOptions options;
  options.discs = {"E:\\"};
  options.out = "O:\\out";
  gamedisc::ExtractOutput output;
  output.say = output.warn = output.progress = [](const std::string&) {};
  gamedisc::Extract(options, output);
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    const fs::path& path = entry.path();
    if (fs::is_symlink(fs::symlink_status(path)) || path.string().rfind(base + "/out", 0) != 0) {
      std::fprintf(stderr, "written outside the output folder, or a link: %s\n", path.c_str());
      std::abort();
    }
  }
  std::error_code ec;
  fs::remove_all(base + "/out", ec);
  fuzzenv::CheckBalance();
  return 0;
}
