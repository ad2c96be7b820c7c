// A text file as both setup files: the message texts and the extra links,
// and the table itself cell by cell.
#include <cstring>

#include "fuzz_env.h"
#include "setup_state.h"
#include "setup_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzenv::Env& env = fuzzenv::Get();
  fuzzenv::WriteFile(env.work + "/setupdata/message.ini", data, size);
  fuzzenv::WriteFile(env.work + "/setupdata/setupdata.ini", data, size);
  std::memset(&setupState, 0, sizeof setupState);
  LoadMessageTexts();
  for (int k = 0; k < kMessageKeyCount; ++k) {
    for (int l = 0; l < kLanguageCount; ++l) {
      if (std::memchr(setupState.texts[k][l], 0, kTextSlotSize) == nullptr) std::abort();
    }
  }
  ReadExtraLinks();
  TextTable table;
  table.Load("T:\\setupdata\\message.ini");
  // The cells together hold no more than the text's bytes, and the ones a
  // row does not have read empty.
  size_t total = 0;
  for (int r = -1; r <= table.rowCount; ++r) {
    const int count = table.CellCount(r);
    if (count < 0 || count > table.columnCount) std::abort();
    for (int c = -1; c <= count; ++c) total += std::strlen(table.Cell(c, r));
    if (*table.Cell(table.columnCount, r) != '\0' || *table.Cell(count, r) != '\0') std::abort();
  }
  if (total > size) std::abort();
  table.Unload();
  fuzzenv::CheckBalance();
  return 0;
}
