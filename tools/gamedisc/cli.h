// The command line of the authoring tool.
#pragma once

#include <string>
#include <vector>

namespace gamedisc {

// Exit codes.
enum ExitCode : int {
  kExitOk = 0,
  kExitFault = 1,  // the build failed, or list or verify found a fault
  kExitUsage = 2,  // the command line is wrong
};

// Runs the command in `args` (without the program's name). Paths in it are
// taken by PathArgument.
int RunTool(const std::vector<std::string>& args);

}  // namespace gamedisc
