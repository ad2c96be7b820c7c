// Text tables as the disc carries them: rows of TAB-separated cells, each row
// ended by CR LF, in the system code page of the language concerned.
#pragma once

#include <string>
#include <vector>

namespace disc {

// The rows joined: cells by TAB, each row followed by CR LF. Cells are taken
// as they are (see CellFor).
std::string TextRows(const std::vector<std::vector<std::string>>& rows);

// The cell that reads back as `text`: the reader strips one pair of double
// quotes from a cell that begins and ends with one, so such a text (and a
// lone quote) is wrapped in one more pair.
std::string CellFor(const std::string& text);

// True when `text` can stand in a cell at all: no TAB, CR or LF.
bool FitsInCell(const std::string& text);

}  // namespace disc
