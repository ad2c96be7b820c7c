// The installer's setup text files: the row-and-cell reader over a text
// table, the key comparer, the message texts and the extra-shortcut rows.
#pragma once

#include <cstdint>

#include "a_util.h"

// A cell as the reader hands it out: a copy of at most 255 bytes.
constexpr int kCellCopySize = 256;
struct CellText {
  char text[kCellCopySize];
};

// Reads one text file row by row, cell by cell. Owns its table.
class TextTableReader {
 public:
  TextTableReader() = default;
  // Frees the table if one is loaded.
  virtual ~TextTableReader();
  TextTableReader(const TextTableReader&) = delete;
  TextTableReader& operator=(const TextTableReader&) = delete;

  // Loads `path` (a missing file gives an empty table) and selects row 0,
  // cell 0. Always returns 1.
  int Open(const char* path);
  // Selects `row` and its first cell; 1 when the row lies in the table.
  int SelectRow(int row);
  // The next cell of the selected row (empty beyond the row or the table),
  // cut to 255 bytes without splitting a double-byte character.
  CellText NextCell();
  // Frees the table; the reader is then empty.
  void Unload();

  TextTable table;
  int32_t cellCursor = 0;   // the next cell to hand out
  int32_t selectedRow = 0;  // the row being read
};

// Exact text comparison for key matching. Stateless; one instance with
// static storage serves the installer.
class TextEquals {
 public:
  virtual ~TextEquals() = default;
  // 1 when `a` and `b` are the same bytes up to and including their
  // terminators (case counts, nothing is trimmed), else 0.
  int Equal(const char* a, const char* b) const;
};
extern const TextEquals textEquals;

// Loads every text of "setupdata\message.ini" (relative to the current
// folder, so from the disc, or from the setupdata package) into the texts
// of setupState, all three languages. A row names a key by its name and
// language suffix in cell 0 and gives the text in cell 1, cut to 63 bytes;
// the last row of a key wins. Rows that name no key are skipped, and a
// missing file leaves every text as it was. No result, no message.
void LoadMessageTexts();

// Reads the extra shortcuts of "setupdata\setupdata.ini" into extraLinks of
// setupState: row k (k = 0 to 3) must carry "Extra_Link" and k in cell 0,
// its file in cell 1 and its name in cell 2 (each cut to 255 bytes). The
// first row that breaks the sequence, the end of the table or the fourth
// entry ends the reading. Returns the number of entries, also stored in
// extraLinkCount; slots beyond it are left as they were.
int ReadExtraLinks();
