// The fixture of gamedisc extract's tests: a two-disc game built with its
// list of files (and ISO images where the build makes them), and extract
// run with its words caught.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "disc_writer.h"
#include "extract.h"
#include "tool_test.h"

namespace testsupport {

class ExtractTest : public ToolTest {
 protected:
  struct Outcome {
    int exitCode = -1;
    std::string said, warned;
    gamedisc::ExtractResult result;
  };

  // Extracts the scratch paths `discs` into `out` (scratch; empty: none).
  Outcome Extract(const std::vector<std::string>& discs, const std::string& out,
                  gamedisc::ExtractMode mode = gamedisc::ExtractMode::kWrite, unsigned codePage = 0, bool force = false,
                  bool json = false) {
    gamedisc::ExtractOptions o;
    for (const std::string& d : discs) o.discs.push_back(Win(d));
    if (!out.empty()) o.out = Win(out);
    o.mode = mode;
    o.codePage = codePage;
    o.force = force;
    o.json = json;
    Outcome outcome;
    gamedisc::ExtractOutput output;
    output.say = [&](const std::string& line) { outcome.said += line + "\n"; };
    output.warn = [&](const std::string& line) { outcome.warned += line + "\n"; };
    output.progress = [](const std::string&) {};
    outcome.result = gamedisc::Extract(o, output);
    outcome.exitCode = outcome.result.exitCode;
    return outcome;
  }

  // A two-disc game with a data folder and a list of files.
  void BuildGame(bool iso = false) {
    WriteGame({{"kelvora.exe", "MZ the game " + testsupport::Pattern(3000, 1)},
               {"maps\\deep\\music.bin", testsupport::Pattern(300000, 2)},
               {"empty.dat", ""},
               {"save\\", ""},
               {"manual\\manual.txt", "the manual"}});
    WriteProject("data = manual\n", "200000");
    ASSERT_TRUE(Build("out", iso)) << error_;
    ASSERT_EQ(result_.discCount, 2);
  }

  // A setup header for a set written record by record.
  static SetupHeaderFields HeaderOf(const std::string& uninstallKey) {
    SetupHeaderFields header;
    header.companyName = "Maker";
    header.gameName = "Game";
    header.uninstallKey = uninstallKey;
    header.exeName = "game.exe";
    return header;
  }

  // The game folder as setup installs it.
  std::map<std::string, std::string> Expected() {
    auto game = Tree("game");
    game["uninstall.exe"] = kStandInUninstaller;
    return game;
  }
};

}  // namespace testsupport
