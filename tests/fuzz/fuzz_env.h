// The world a fuzz target runs in: drive T: (the target side) and E: (a
// CD-ROM holding the disc), boxes answered without a person, and a check
// that nothing was left allocated or open. The stand-in's files are held in
// memory and it never sleeps, so that a run touches no disk and waits for
// nothing; FUZZ_ON_DISK=1 puts them in a temporary folder instead, to
// compare.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "a_file.h"
#include "a_mem.h"
#include "box_script.h"
#include "host_control.h"

namespace fuzzenv {

struct Env {
  std::string base;  // the host folder of the drives
  std::string disc;  // base/disc, drive E:
  std::string work;  // base/work, drive T:
};

// A folder of its own on the real disk, removed when the process ends.
inline std::string RealFolder(const char* name) {
  static std::vector<std::string>* made = nullptr;
  if (made == nullptr) {
    made = new std::vector<std::string>;
    std::atexit([] {
      for (const std::string& folder : *made) {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
      }
    });
  }
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  made->push_back(pattern);
  return pattern;
}

inline Env& Get() {
  static Env* env = nullptr;
  if (env == nullptr) {
    env = new Env;
    const char* onDisk = std::getenv("FUZZ_ON_DISK");
    if (onDisk != nullptr && onDisk[0] == '1') {
      env->base = RealFolder("fuzz");
    } else {
      plat::host::UseMemoryFiles(true);
      plat::host::SkipSleeps(true);
      env->base = "/fuzz";
    }
    env->disc = env->base + "/disc";
    env->work = env->base + "/work";
    plat::host::MakeHostFolders(env->disc);
    plat::host::MakeHostFolders(env->work);
    plat::host::MapDrive('E', env->disc, plat::kDriveCdrom);
    plat::host::MapDrive('T', env->work, plat::kDriveFixed);
    plat::SetCurrentFolder("T:\\");
    // Whatever is asked (the next disc, most of all) is declined.
    plat::box_script::SetDefaultResponder([](const plat::BoxRecord&) { return plat::kAnswerCancel; });
  }
  return *env;
}

// Host paths, on whichever file system is in use.
inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  if (!plat::host::WriteHostFile(path, std::string(reinterpret_cast<const char*>(data), size))) std::abort();
}

inline void ClearFolder(const std::string& path) {
  plat::host::RemoveHostTree(path);
  plat::host::MakeHostFolders(path);
}

// Every file and folder below `folder` is one of `insides` or lies below
// one (host paths).
inline void CheckAllBelow(const std::string& folder, std::initializer_list<std::string> insides) {
  for (const plat::host::HostEntry& entry : plat::host::ListHostTree(folder)) {
    bool inside = false;
    for (const std::string& in : insides) {
      inside = inside || entry.path == in || entry.path.compare(0, in.size() + 1, in + "/") == 0;
    }
    if (!inside) {
      std::fprintf(stderr, "written outside: %s\n", entry.path.c_str());
      std::abort();
    }
  }
}

// Every block given back, every file closed; boxes and call counts
// forgotten.
inline void CheckBalance() {
  if (liveBlockCount != 0 || openFileCount != 0) {
    std::fprintf(stderr, "unbalanced: %d blocks, %d files\n", liveBlockCount, openFileCount);
    std::abort();
  }
  plat::box_script::Clear();
  plat::box_script::SetDefaultResponder([](const plat::BoxRecord&) { return plat::kAnswerCancel; });
  plat::host::ResetFaults();
}

}  // namespace fuzzenv
