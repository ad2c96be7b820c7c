// The folder setup offers first, before the player browses: the company's
// folder in Program Files, and the game's in it, named as the setup header
// names them.
#pragma once

#include <string>

namespace disc {

inline std::string DefaultTargetFolder(const std::string& company, const std::string& game) {
  return "C:\\Program Files\\" + company + "\\" + game;
}

}  // namespace disc
