// Text files as the disc carries them: rows of TAB-separated cells, each
// row ended by CR LF, in the system code page (Big5 on Chinese discs).
#pragma once

#include <string>
#include <vector>

#include "text_rows.h"

namespace testsupport {

using disc::TextRows;

// "安裝程式" in Big5: four double-byte characters, eight bytes.
constexpr char kBig5Setup[] = "\xA6\x77\xB8\xCB\xB5\x7B\xA6\xA1";
// Three Big5 characters whose second byte is a backslash.
constexpr char kBig5Backslashes[] = "\xB3\x5C\xA5\x5C\xBB\x5C";

}  // namespace testsupport
