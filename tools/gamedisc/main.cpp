// gamedisc: the disc authoring tool's entry point.
#include <string>
#include <vector>

#include "box_script.h"
#include "cli.h"
#include "tool_os.h"

int main(int argc, char** argv) {
  // A console program: any box the libraries raise is written to standard
  // error instead of waiting for a click.
  plat::box_script::Activate(true);
  gamedisc::PrepareToolProcess();
  return gamedisc::RunTool(std::vector<std::string>(argv + 1, argv + argc));
}
