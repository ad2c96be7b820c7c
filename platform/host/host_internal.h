// State shared by the files of the Linux port.
#pragma once

#include <string>
#include <vector>

#include "host_port.h"
#include "platform.h"

namespace plat {
namespace host {

struct Drive {
  bool mapped = false;
  std::string folder;
  unsigned type = kDriveNoRootDir;
};

struct State {
  Drive drives[26];
  // Absolute Windows form: "C:\" for a root, "C:\a\b" otherwise.
  std::string current = "C:\\";
  unsigned codePage = 1252;
};

State& state();
// The machine in use (UseMachine).
Machine& machine();

int DriveIndex(char letter);
// Splits a Windows path into its drive and folded components, resolving it
// against the current folder; false for UNC and device forms.
bool Parse(const char* path, int* drive, std::vector<std::string>* parts);

}  // namespace host
}  // namespace plat
