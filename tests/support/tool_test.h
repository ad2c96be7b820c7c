// The fixture of the authoring tool's tests: a game folder and a project
// file in the scratch folder, builds into it, and installs of what was built
// through the installer's own copy engine over the seam.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "build.h"
#include "copy_test.h"
#include "discset.h"

namespace testsupport {

class ToolTest : public CopyTest {
 protected:
  // Every set must install an uninstaller: SetUp writes a small stand-in at
  // uninstall_, which Build passes as --uninstall.
  static constexpr char kStandInUninstaller[] = "MZ a stand-in uninstaller\r\n";
  void SetUp() override;
  void TearDown() override;

  // Writes `files` ("dir\name" -> content) below "game"; folders named with
  // a trailing "\" are made empty.
  void WriteGame(const std::map<std::string, std::string>& files);
  // Writes "game.project": the basic settings, then `extra` lines.
  void WriteProject(const std::string& extra, const std::string& capacity = "cd650");
  // The options of a build of `game` into `out` (scratch paths), with
  // uninstall_ and setup_ where they are set.
  gamedisc::BuildOptions Options(const std::string& out = "out", const std::string& game = "game") const;
  // Builds into "out" (or `out`). False with the error in `error_`.
  bool Build(const std::string& out = "out", bool iso = false);
  // The Windows paths of the discs built into `out`.
  gamedisc::DiscSet Discs(const std::string& out = "out") const;
  // Installs the built discs as the installer does: "out\disc1" is the drive,
  // each further cdN is put into it when the "Next Disc" box asks for it;
  // then the data folder is copied. Returns RunDiscs' result.
  int Install(const std::string& out = "out");
  // Every file below the native folder `relative`, by "\"-path; folders
  // end in "\".
  std::map<std::string, std::string> Tree(const std::string& relative) const;
  // The sizes of each disc's files, each in whole sectors.
  std::vector<uint64_t> DiscSizes(const std::string& out = "out") const;

  // What Build passes as --uninstall and --setup (scratch paths; empty for
  // none).
  std::string uninstall_ = "stand-in\\uninstall.exe";
  std::string setup_;
  gamedisc::BuildResult result_;
  std::string error_;
  std::vector<std::string> said_;
};

}  // namespace testsupport
