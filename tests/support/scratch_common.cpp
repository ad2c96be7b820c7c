#include "scratch.h"

namespace testsupport {

std::string WinPath(const Scratch& dir, const std::string& relative) {
  return relative.empty() ? dir.win : dir.win + "\\" + relative;
}

}  // namespace testsupport
