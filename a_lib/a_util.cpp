#include "a_util.h"

#include <cstdio>
#include <cstring>

#include "a_file.h"
#include "a_mem.h"
#include "platform.h"

int CopyText(char* target, int size, const char* source) {
  if (size <= 0) return 0;
  int n = 0;
  while (source[n] != '\0') {
    int step = static_cast<unsigned char>(source[n]) >= 0x80 && source[n + 1] != '\0' ? 2 : 1;
    if (n + step > size - 1) break;
    n += step;
  }
  std::memcpy(target, source, static_cast<size_t>(n));
  target[n] = '\0';
  return n;
}

namespace {

const char kEmptyCell[] = "";

// Drops the quotes of a cell that begins and ends with one. `end` is the
// cell's terminating zero; returns where the cell now starts.
char* StripQuotes(char* start, char* end) {
  if (end > start && start[0] == '"' && end[-1] == '"') {
    end[-1] = '\0';
    return start + 1;
  }
  return start;
}

}  // namespace

TextTable::~TextTable() { Unload(); }

int TextTable::Load(const char* path) {
  Unload();
  FileHandle file;
  int size = 0;
  if (file.OpenRead(path)) {
    size = file.Size();
    // One byte more than the file for the closing zero; a file that large
    // cannot be held and is taken as empty.
    if (size < 0 || size == INT32_MAX) size = 0;
    text = static_cast<char*>(A_ALLOC(size + 1));
    // A file that delivers fewer bytes than its size is split as far as
    // it was read.
    size = text != nullptr ? file.Read(text, size) : 0;
    file.Close();
  }
  if (text == nullptr) return 1;
  Split(size);
  return 1;
}

int TextTable::LoadBytes(const char* bytes, int size) {
  Unload();
  if (size < 0 || size == INT32_MAX) size = 0;
  text = static_cast<char*>(A_ALLOC(size + 1));
  if (text == nullptr) return 1;
  if (size > 0) std::memcpy(text, bytes, static_cast<size_t>(size));
  Split(size);
  return 1;
}

void TextTable::Split(int size) {
  text[size] = '\0';

  int32_t rows = 0;
  int32_t columns = 0;
  int32_t running = 1;
  int64_t separators = 0;
  for (int i = 0; i < size; ++i) {
    if (text[i] == '\t') {
      ++running;
      ++separators;
    } else if (text[i] == '\r') {
      ++rows;
      ++separators;
      if (running > columns) columns = running;
      running = 1;
    }
  }
  if (rows == 0) return;
  // Every cell starts at the beginning of the text or after a separator.
  // Sizes in 64 bits: a file of a few hundred megabytes of TABs would wrap.
  const int64_t cellBytes = (separators + 1) * static_cast<int64_t>(sizeof(char*));
  const int64_t blockBytes = cellBytes + (static_cast<int64_t>(rows) + 1) * static_cast<int64_t>(sizeof(int32_t));
  if (blockBytes > INT32_MAX) {
    Unload();
    return;
  }
  cells = static_cast<char**>(A_ALLOC(static_cast<int>(blockBytes)));
  if (cells == nullptr) {
    Unload();
    return;
  }
  rowStarts = reinterpret_cast<int32_t*>(reinterpret_cast<unsigned char*>(cells) + cellBytes);
  rowCount = rows;
  columnCount = columns;

  int position = 0;
  int32_t row = 0;
  int32_t column = 0;
  int32_t used = 0;
  rowStarts[0] = 0;
  while (position < size && row < rowCount) {
    char* start = text + position;
    int end = position;
    while (end < size && text[end] != '\t' && text[end] != '\r') ++end;
    // A byte dropped after a CR can be a TAB, and the rows' TABs then shift:
    // a cell past the widest counted row is not kept.
    const bool kept = column < columnCount;
    if (end == size) {
      // The text ends inside a row that a dropped CR counted: the cell runs
      // to the closing zero.
      if (kept) cells[used++] = start;
      break;
    }
    const bool rowEnds = text[end] == '\r';
    text[end] = '\0';
    if (kept) cells[used++] = StripQuotes(start, text + end);
    if (rowEnds) {
      ++row;
      rowStarts[row] = used;
      column = 0;
      text[end + 1] = '\0';  // within the buffer: text[size] is the closing zero
      position = end + 2;
    } else {
      ++column;
      position = end + 1;
    }
  }
  // Rows that the splitting did not reach (their CRs were dropped bytes, or
  // the text ended) have no cells.
  for (int32_t r = row + 1; r <= rowCount; ++r) rowStarts[r] = used;
}

int TextTable::CellCount(int row) const {
  if (static_cast<uint32_t>(row) >= static_cast<uint32_t>(rowCount)) return 0;
  return rowStarts[row + 1] - rowStarts[row];
}

const char* TextTable::Cell(int column, int row) const {
  if (static_cast<uint32_t>(column) >= static_cast<uint32_t>(CellCount(row))) return kEmptyCell;
  return cells[rowStarts[row] + column];
}

void TextTable::Unload() {
  if (cells != nullptr) A_FREE(cells);
  if (text != nullptr) A_FREE(text);
  cells = nullptr;
  rowStarts = nullptr;
  text = nullptr;
  rowCount = 0;
  columnCount = 0;
}
