// Small services of the support library: the text table and bounded text
// copies.
#pragma once

#include <cstdint>

// Copies `source` into `target`, a buffer of `size` bytes, and always
// terminates it (size 0 writes nothing). A longer text is cut to fit, never
// inside a double-byte character: a byte of 0x80 or above goes only together
// with the byte after it. Returns the number of bytes copied.
int CopyText(char* target, int size, const char* source);

// A whole text file in memory, split into rows and cells in place.
//
// Syntax, byte by byte: CR ends a row and the one byte after it is dropped
// (the LF of CR LF, whatever it is); text after the last CR is not part of
// the table, so a text without CR has no rows. TAB ends a cell. A cell that
// begins and ends with a double quote loses both (a lone quote becomes
// empty); quotes elsewhere stay. Double-byte characters are not examined:
// none of their bytes is a TAB, CR or quote.
//
// Both buffers come from a_alloc and belong to the table. The table is
// read-only once loaded; its cells point into `text` and live until Unload.
// Only the cells the rows have are stored, so a table takes memory in
// proportion to its file, whatever the shape of its rows.
class TextTable {
 public:
  TextTable() = default;
  // Unloads.
  ~TextTable();
  TextTable(const TextTable&) = delete;
  TextTable& operator=(const TextTable&) = delete;

  // Reads `path` through OpenRead (so it may come from its folder's
  // package) and splits it. A file that cannot be opened or read gives an
  // empty table, as does one whose cells are too many to allocate. A loaded
  // table is unloaded first. Always returns 1.
  int Load(const char* path);
  // Splits a copy of the `size` bytes at `bytes` as Load splits a file
  // (for a file that does not come through OpenRead, such as one read from
  // a disc image). Always returns 1.
  int LoadBytes(const char* bytes, int size);
  // The zero-terminated text of cell (column, row); a cell that its row does
  // not have, and any position outside the table (negative ones included),
  // reads as a shared empty string. Valid until Unload.
  const char* Cell(int column, int row) const;
  // How many cells `row` has, at most columnCount (0 for a row outside the
  // table). A row may have fewer cells than it has TABs: the byte dropped
  // after a CR may be one, and the last row may be cut by the end of the text.
  int CellCount(int row) const;
  // Gives both buffers back; the table is then empty (0 rows, 0 columns).
  void Unload();

  // The cells of the rows one after the other: row r's are entries
  // rowStarts[r] up to rowStarts[r + 1]. Pointers into `text`.
  char** cells = nullptr;
  // rowCount + 1 offsets into `cells`; in the same block as `cells`.
  int32_t* rowStarts = nullptr;
  // The file's bytes and a zero; separators, the byte after each CR and
  // stripped quotes are overwritten with zeros.
  char* text = nullptr;
  int32_t columnCount = 0;  // the largest number of cells of any row, counted
                            // as one more than its TABs
  int32_t rowCount = 0;

 private:
  // Splits the `size` bytes in `text` (which holds one byte more).
  void Split(int size);
};
