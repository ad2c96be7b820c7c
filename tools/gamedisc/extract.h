// Gets the game off its discs without installing it: the tree setup would
// write into the install folder (the archives' folders and files, then disc
// 1's data folder over them), and nothing else (no registry, shortcuts,
// uninstall record or log). Every check setup makes applies, and every file
// is checked against the set's list of files where it has one.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace gamedisc {

enum class ExtractMode {
  kWrite,  // write the tree into the output folder
  kList,   // show what would be written, with sizes
  kTest,   // read and check everything, write nothing
};

struct ExtractOptions {
  // Seam paths (PathArgument): disc folders, a folder holding disc1,
  // disc2, ..., or images; in any order.
  std::vector<std::string> discs;
  std::string out;  // kWrite only
  ExtractMode mode = ExtractMode::kWrite;
  // The code page the names are read in; 0 to guess it from the names.
  unsigned codePage = 0;
  bool force = false;     // write into a folder that holds files, overwriting
  bool quiet = false;     // only notes, faults and the closing line
  bool progress = false;  // redraw a progress line
  // kList and kTest: the report is one JSON object a line, each file's
  // {"file", "size", "disc", "crc32"} and last the {"verdict", "exit", ...};
  // notes and faults still go to `warn` as text.
  bool json = false;
};

// Where extract's words go: `say` the report (standard output), `warn`
// notes and faults (standard error), `progress` a line redrawn in place
// (an empty line clears it).
struct ExtractOutput {
  std::function<void(const std::string&)> say, warn, progress;
};

struct ExtractResult {
  int exitCode = 0;  // kExitOk, kExitFault or kExitUsage (cli.h)
  // On failure, every file written before it (and the one being written
  // when it came), as the user finds it; empty on success.
  std::vector<std::string> written;
  unsigned codePage = 0;  // the reading the names were given
  bool guessed = false;   // and whether it was a guess
};

ExtractResult Extract(const ExtractOptions& options, const ExtractOutput& output);

// The code page that a set's names (their bytes) read in best: 0 when all
// are ASCII; 950 or 936 when every name reads as Big5 or as GBK, told apart
// by the bytes common text uses in each; 1252 when neither reads them.
unsigned GuessCodePage(const std::vector<std::string>& names);

// `text` as a JSON string, quotes included: a byte that begins no valid
// UTF-8 character stands as U+FFFD.
std::string JsonString(const std::string& text);

}  // namespace gamedisc
