// The world a fuzz target runs in: a temporary folder mapped as drive T:
// (the target side) and E: (a CD-ROM holding the disc), boxes answered
// without a person, and a check that nothing was left allocated or open.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "a_file.h"
#include "a_mem.h"
#include "box_script.h"
#include "host_control.h"

namespace fuzzenv {

struct Env {
  std::string base;  // the temporary folder
  std::string disc;  // base/disc, drive E:
  std::string work;  // base/work, drive T:
};

inline Env& Get() {
  static Env* env = nullptr;
  if (env == nullptr) {
    env = new Env;
    std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    env->base = pattern;
    env->disc = pattern + "/disc";
    env->work = pattern + "/work";
    std::filesystem::create_directories(env->disc);
    std::filesystem::create_directories(env->work);
    plat::host::MapDrive('E', env->disc, plat::kDriveCdrom);
    plat::host::MapDrive('T', env->work, plat::kDriveFixed);
    plat::SetCurrentFolder("T:\\");
    // Whatever is asked (the next disc, most of all) is declined.
    plat::box_script::SetDefaultResponder([](const plat::BoxRecord&) { return plat::kAnswerCancel; });
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Get().base, ec);
    });
  }
  return *env;
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline void ClearFolder(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  std::filesystem::create_directories(path, ec);
}

// Every block given back, every file closed; boxes forgotten.
inline void CheckBalance() {
  if (liveBlockCount != 0 || openFileCount != 0) {
    std::fprintf(stderr, "unbalanced: %d blocks, %d files\n", liveBlockCount, openFileCount);
    std::abort();
  }
  plat::box_script::Clear();
  plat::box_script::SetDefaultResponder([](const plat::BoxRecord&) { return plat::kAnswerCancel; });
}

}  // namespace fuzzenv
