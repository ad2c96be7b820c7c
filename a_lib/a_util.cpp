#include "a_util.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "a_file.h"
#include "a_mem.h"
#include "platform.h"

void WriteLog(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length < 0) return;
  if (length >= static_cast<int>(sizeof text)) length = sizeof text - 1;

  // The log is a text file in the Windows sense: "\n" is stored as CR LF.
  // Binary mode and an explicit CR give the same bytes on every platform.
  char line[2 * sizeof text + 2];
  int n = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] == '\n') line[n++] = '\r';
    line[n++] = text[i];
  }
  line[n++] = '\r';
  line[n++] = '\n';

  plat::Stream* log = plat::StreamOpen("log.txt", "ab");
  if (log == nullptr) return;
  plat::StreamWrite(log, line, static_cast<size_t>(n));
  plat::StreamClose(log);
}

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
  text[size] = '\0';

  int32_t rows = 0;
  int32_t columns = 0;
  int32_t running = 1;
  for (int i = 0; i < size; ++i) {
    if (text[i] == '\t') {
      ++running;
    } else if (text[i] == '\r') {
      ++rows;
      if (running > columns) columns = running;
      running = 1;
    }
  }
  if (rows == 0) return 1;
  // A few hundred kilobytes of TABs and CRs can ask for billions of cells:
  // the grid's size is computed in 64 bits, and a grid too large for one
  // block leaves the table empty.
  const int64_t gridBytes = static_cast<int64_t>(rows) * columns * static_cast<int64_t>(sizeof(char*));
  if (gridBytes > INT32_MAX) {
    Unload();
    return 1;
  }
  cells = static_cast<char**>(A_ALLOC(static_cast<int>(gridBytes)));
  if (cells == nullptr) {
    Unload();
    return 1;
  }
  rowCount = rows;
  columnCount = columns;
  for (int64_t i = 0; i < static_cast<int64_t>(rows) * columns; ++i) cells[i] = text + size;

  int position = 0;
  int32_t row = 0;
  int32_t column = 0;
  while (position < size && row < rowCount) {
    char* start = text + position;
    int end = position;
    while (end < size && text[end] != '\t' && text[end] != '\r') ++end;
    // A byte dropped after a CR can be a TAB, so a row may hold fewer cells
    // than counted, never more; the check only guards the grid.
    if (column < columnCount) cells[row * columnCount + column] = start;
    if (end == size) break;
    const bool rowEnds = text[end] == '\r';
    text[end] = '\0';
    if (column < columnCount) cells[row * columnCount + column] = StripQuotes(start, text + end);
    if (rowEnds) {
      ++row;
      column = 0;
      text[end + 1] = '\0';  // within the buffer: text[size] is the closing zero
      position = end + 2;
    } else {
      ++column;
      position = end + 1;
    }
  }
  return 1;
}

const char* TextTable::Cell(int column, int row) const {
  if (static_cast<uint32_t>(column) >= static_cast<uint32_t>(columnCount) ||
      static_cast<uint32_t>(row) >= static_cast<uint32_t>(rowCount)) {
    return kEmptyCell;
  }
  return cells[static_cast<int64_t>(row) * columnCount + column];
}

void TextTable::Unload() {
  if (cells != nullptr) A_FREE(cells);
  if (text != nullptr) A_FREE(text);
  cells = nullptr;
  text = nullptr;
  rowCount = 0;
  columnCount = 0;
}
