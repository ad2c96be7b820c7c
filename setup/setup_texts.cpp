#include "setup_texts.h"

#include <cstdio>
#include <cstring>

#include "setup_state.h"

namespace {


// Reads "setupdata\message.ini" once at start-up.
TextTableReader messageReader;

}  // namespace

const TextEquals textEquals;

TextTableReader::~TextTableReader() { Unload(); }

int TextTableReader::Open(const char* path) {
  table.Load(path);
  selectedRow = 0;
  cellCursor = 0;
  return 1;
}

int TextTableReader::SelectRow(int row) {
  selectedRow = row;
  cellCursor = 0;
  return row >= 0 && row < table.rowCount ? 1 : 0;
}

CellText TextTableReader::NextCell() {
  CellText cell;
  CopyText(cell.text, kCellCopySize, table.Cell(cellCursor, selectedRow));
  ++cellCursor;
  return cell;
}

void TextTableReader::Unload() { table.Unload(); }

int TextEquals::Equal(const char* a, const char* b) const { return std::strcmp(a, b) == 0 ? 1 : 0; }

void LoadMessageTexts() {
  // The names with their suffixes are the same for every row: formed once.
  char names[kMessageKeyCount][kLanguageCount][kTextSlotSize];
  for (int k = 0; k < kMessageKeyCount; ++k) {
    for (int language = 0; language < kLanguageCount; ++language) {
      std::snprintf(names[k][language], kTextSlotSize, "%s%s", kMessageKeyNames[k], kLanguageSuffixes[language]);
    }
  }
  messageReader.Open(kMessageFile);
  int row = 0;
  do {
    const CellText key = messageReader.NextCell();
    for (int k = 0; k < kMessageKeyCount; ++k) {
      for (int language = 0; language < kLanguageCount; ++language) {
        if (!textEquals.Equal(names[k][language], key.text)) continue;
        const CellText value = messageReader.NextCell();
        CopyText(setupState.texts[k][language], kTextSlotSize, value.text);
        break;
      }
    }
  } while (messageReader.SelectRow(++row));
  messageReader.Unload();
}

int ReadExtraLinks() {
  TextTableReader reader;
  reader.Open(kLinksFile);
  int count = 0;
  for (int k = 0; k < kMaxExtraLinks; ++k) {
    char key[32];
    std::snprintf(key, sizeof key, "%s%d", kExtraLinkKey, k);
    if (!textEquals.Equal(reader.NextCell().text, key)) break;
    ExtraLink& link = setupState.extraLinks[k];
    CopyText(link.file, kExtraLinkTextSize, reader.NextCell().text);
    CopyText(link.name, kExtraLinkTextSize, reader.NextCell().text);
    ++count;
    if (!reader.SelectRow(k + 1)) break;
  }
  reader.Unload();
  setupState.extraLinkCount = count;
  return count;
}
