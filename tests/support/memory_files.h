// For host tests: while an object of this lives, the stand-in's files are
// held in memory (see plat::host::UseMemoryFiles), empty at the start and
// forgotten at the end. As a fixture's member it is switched on before the
// fixture lays out its first folder.
#pragma once

#include "host_control.h"

namespace testsupport {

class FilesInMemory {
 public:
  explicit FilesInMemory(bool inMemory = true, bool skipSleeps = false) : skipSleeps_(skipSleeps) {
    plat::host::ClearMemoryFiles();
    plat::host::UseMemoryFiles(inMemory);
    plat::host::SkipSleeps(skipSleeps);
  }
  ~FilesInMemory() {
    plat::host::UseMemoryFiles(false);
    plat::host::ClearMemoryFiles();
    if (skipSleeps_) plat::host::SkipSleeps(false);
  }
  FilesInMemory(const FilesInMemory&) = delete;
  FilesInMemory& operator=(const FilesInMemory&) = delete;

 private:
  bool skipSleeps_;
};

}  // namespace testsupport
