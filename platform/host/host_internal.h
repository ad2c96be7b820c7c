// State shared by the files of the Linux stand-in. Not for tests: they use
// host_control.h.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host_control.h"
#include "platform.h"

namespace plat {
namespace host {

struct Drive {
  bool mapped = false;
  std::string folder;
  unsigned type = kDriveNoRootDir;
  bool hasFreeBytes = false;  // else the real free space of `folder`
  uint64_t freeBytes = 0;
};

struct State {
  Drive drives[26];
  // Absolute Windows form: "C:\" for a root, "C:\a\b" otherwise.
  std::string current = "C:\\";
  unsigned codePage = 1252;
  uint16_t language = 0x0409;
  bool hasDate = false;
  Date date{};
  std::string programPath;
  std::vector<StartedCopy> startedCopies;
  bool refuseCopies = false;
  std::vector<std::string> removalsAtRestart;
  std::vector<std::string> heldFiles;  // host paths DeleteFile refuses
  std::vector<std::pair<const void*, std::string>> openStreams;  // each open stream's host path
  bool skipSleeps = false;
  // The clock: each reading is `clockStep` milliseconds after the last.
  uint32_t clock = 0;
  uint32_t clockStep = 50;
};

State& state();

// Counts a call of `kind` and tells whether it is the one to fail.
bool FaultHere(FaultKind kind);

int DriveIndex(char letter);
// Splits a Windows path into its drive and folded components, resolving it
// against the current folder; false for UNC and device forms.
bool Parse(const char* path, int* drive, std::vector<std::string>* parts);

}  // namespace host
}  // namespace plat
