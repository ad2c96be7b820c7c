// Building a disc set: a game folder and a project file in, the folders of
// every disc out.
//
//   disc1\setup.exe            the installer (when given)
//   disc1\data\...             the files copied as they are, the probe
//                              kelvora.exe among them
//   disc1\setupdata\...        message.ini, setupdata.ini, the picture sets,
//                              the web link, manifest.ini (the list of
//                              files, see manifest.h) (or all of it as
//                              setupdata.apkg)
//   disc1\cd1                  the setup header and the first archive
//   discN\cdN                  the archive of disc N
//
// Setup registers <install folder>\uninstall.exe as the uninstall command
// and makes a shortcut to it, so every set installs one: the game's own
// when its folder has one at the top, else the uninstaller given (or the
// one beside the installer), as the first file of the archives.
//
// No disc takes more than the capacity, every file counted in whole
// 2,048-byte sectors. The same input gives the same bytes, whatever the
// number of jobs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tool_os.h"

namespace gamedisc {

struct BuildOptions {
  std::string project;   // the project file
  std::string game;      // the game folder
  std::string out;       // the output folder; must be missing or empty
  std::string setupExe;  // the installer to put on disc 1; may be empty
  std::string uninstallExe;  // installed as \uninstall.exe; empty: the
                             // uninstall.exe beside setupExe, if any
  std::string capacity;  // overrides the project's; may be empty
  bool iso = false;      // also write discN.iso beside each disc folder
  int jobs = 0;          // threads that pack the archives' pieces, 1 to
                         // kMaxJobs; 0: one per core. The bytes are the
                         // same for any count.
  // With a certificate: setupExe and the uninstaller the build adds go onto
  // the discs signed (a game's own uninstall.exe is packed as it is). The
  // password is read from signingPasswordFile when that is given, else
  // signing.password is used; trailing line breaks are no part of it.
  SigningKey signing;
  std::string signingPasswordFile;
};
constexpr int kMaxJobs = 64;

struct BuildResult {
  int discCount = 0;
  uint32_t installSize = 0;
  uint64_t capacity = 0;
  std::vector<uint64_t> discBytes;  // each disc's files, in whole sectors
  std::vector<std::string> warnings;
};

// Builds the discs. `say` is told progress and a summary. False with
// `error` set when the input is refused, a program cannot be signed or a
// file cannot be written; every refusal and failure to sign comes before
// anything is written.
bool BuildDiscSet(const BuildOptions& options, const std::function<void(const std::string&)>& say,
                  BuildResult* result, std::string* error);

// `bytes` rounded up to whole sectors.
uint64_t SectorBytes(uint64_t bytes);

}  // namespace gamedisc
