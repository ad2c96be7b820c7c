// The setup text files: the reader, key matching, the message texts and
// the extra-shortcut rows.
#include <string>
#include <vector>

#include "apkg_writer.h"
#include "setup_test.h"
#include "setup_texts.h"
#include "text_writer.h"

namespace {

using testsupport::SetupTest;
using testsupport::TextRows;

class SetupTextsTest : public SetupTest {
 protected:
  void PutMessages(const std::string& bytes) { Put("setupdata\\message.ini", bytes); }
  void PutLinks(const std::string& bytes) { Put("setupdata\\setupdata.ini", bytes); }
  std::string Slot(MessageKey key, Language language) const { return setupState.texts[key][language]; }
};

// ---------------------------------------------------------------------------
// Reader and comparer
// ---------------------------------------------------------------------------

TEST_F(SetupTextsTest, TheReaderWalksRowsAndCells) {
  Put("t.ini", TextRows({{"a", "b"}, {"c"}}));
  TextTableReader reader;
  ASSERT_EQ(reader.Open(Win("t.ini").c_str()), 1);
  EXPECT_STREQ(reader.NextCell().text, "a");
  EXPECT_STREQ(reader.NextCell().text, "b");
  EXPECT_STREQ(reader.NextCell().text, "") << "beyond the row";
  EXPECT_EQ(reader.cellCursor, 3);
  EXPECT_EQ(reader.SelectRow(1), 1);
  EXPECT_EQ(reader.cellCursor, 0);
  EXPECT_STREQ(reader.NextCell().text, "c");
  EXPECT_EQ(reader.SelectRow(2), 0);
  EXPECT_STREQ(reader.NextCell().text, "") << "beyond the table";
  EXPECT_EQ(reader.SelectRow(-1), 0);
  EXPECT_STREQ(reader.NextCell().text, "");
  // Left loaded on purpose: destruction frees the table (the fixture checks).
}

TEST_F(SetupTextsTest, TheReadersCopyHoldsAtMost255Bytes) {
  const std::string longCell(400, 'L');
  // 254 bytes and a double-byte character: the character does not fit.
  const std::string big5Cell = std::string(254, 'b') + testsupport::kBig5Setup;
  Put("t.ini", TextRows({{longCell, big5Cell}}));
  TextTableReader reader;
  reader.Open(Win("t.ini").c_str());
  EXPECT_EQ(std::string(reader.NextCell().text), longCell.substr(0, 255));
  EXPECT_EQ(std::string(reader.NextCell().text), std::string(254, 'b'));
  reader.Unload();
  EXPECT_EQ(liveBlockCount, liveAtStart_);
  EXPECT_EQ(reader.SelectRow(0), 0) << "an unloaded reader has no rows";
}

TEST_F(SetupTextsTest, TextEqualsComparesEveryByte) {
  EXPECT_EQ(textEquals.Equal("ProgramName_EN", "ProgramName_EN"), 1);
  EXPECT_EQ(textEquals.Equal("", ""), 1);
  EXPECT_EQ(textEquals.Equal("ProgramName_EN", "ProgramName_en"), 0);
  EXPECT_EQ(textEquals.Equal("ProgramName_EN", "ProgramName_EN "), 0);
  EXPECT_EQ(textEquals.Equal("ProgramName", "ProgramName_EN"), 0);
  EXPECT_EQ(textEquals.Equal("ProgramName_EN", "ProgramName"), 0);
  EXPECT_EQ(textEquals.Equal("\xA6\x77", "\xA6\x78"), 0);
}

// ---------------------------------------------------------------------------
// Message texts
// ---------------------------------------------------------------------------

// Every key in every language: the table order and the suffix order decide
// the slot.
TEST_F(SetupTextsTest, EveryKeyAndLanguageHasItsSlot) {
  std::vector<std::vector<std::string>> rows;
  for (int k = kMessageKeyCount - 1; k >= 0; --k) {
    for (int l = 0; l < kLanguageCount; ++l) {
      rows.push_back({std::string(kMessageKeyNames[k]) + kLanguageSuffixes[l],
                      "text " + std::to_string(k) + "/" + std::to_string(l), "ignored"});
    }
  }
  PutMessages(TextRows(rows));
  LoadMessageTexts();
  for (int k = 0; k < kMessageKeyCount; ++k) {
    for (int l = 0; l < kLanguageCount; ++l) {
      EXPECT_EQ(Slot(static_cast<MessageKey>(k), static_cast<Language>(l)),
                "text " + std::to_string(k) + "/" + std::to_string(l));
    }
  }
  EXPECT_STREQ(kMessageKeyNames[kNextCd], "NextCD");
  EXPECT_STREQ(kMessageKeyNames[kButtonCancel], "BUTTON_CANCEL");
  setupState.languageIndex = kLanguageCn;
  EXPECT_STREQ(Text(kUrlName), "text 4/1");
  setupState.languageIndex = kLanguageEn;
  EXPECT_STREQ(Text(kCancelMsg), "text 5/2");
  EXPECT_EQ(liveBlockCount, liveAtStart_) << "the reader was unloaded";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupTextsTest, OnlyExactKeysWithASuffixMatch) {
  PutMessages(TextRows({
      {"ProgramName", "no suffix"},
      {"programname_EN", "lower case"},
      {"ProgramName_en", "lower suffix"},
      {"ProgramName_EN ", "trailing space"},
      {" ProgramName_EN", "leading space"},
      {"ProgramName_US", "other suffix"},
      {"[ProgramName_EN]", "section"},
      {";ProgramName_EN", "comment"},
      {"NextCD_TW", "found"},
  }));
  LoadMessageTexts();
  for (int l = 0; l < kLanguageCount; ++l) EXPECT_EQ(Slot(kProgramName, static_cast<Language>(l)), "");
  EXPECT_EQ(Slot(kNextCd, kLanguageTw), "found");
  EXPECT_EQ(Slot(kNextCd, kLanguageEn), "") << "no other language is filled in";
}

TEST_F(SetupTextsTest, TheLastRowOfAKeyWinsAndQuotesGo) {
  PutMessages(TextRows({
      {"ProgramName_EN", "first"},
      {"FAIL_MSG_EN", "\"quoted\""},
      {"CANCEL_MSG_EN", "\"half"},
      {"ProgramName_EN", "second"},
      {"URL_NAME_CN", ""},
  }));
  LoadMessageTexts();
  EXPECT_EQ(Slot(kProgramName, kLanguageEn), "second");
  EXPECT_EQ(Slot(kFailMsg, kLanguageEn), "quoted");
  EXPECT_EQ(Slot(kCancelMsg, kLanguageEn), "\"half");
  EXPECT_EQ(Slot(kUrlName, kLanguageCn), "");
}

TEST_F(SetupTextsTest, TextsAreCutTo63BytesAtACharacterBoundary) {
  const std::string ascii(100, 'a');
  const std::string big5 = std::string(62, 'c') + testsupport::kBig5Setup;
  // A long key cell names no key and overruns nothing.
  PutMessages(TextRows({{ascii, "x"}, {"ProgramName_TW", ascii}, {"NextCD_TW", big5},
                        {"Uninstall_TW", std::string(60, 'u') + testsupport::kBig5Backslashes}}));
  LoadMessageTexts();
  EXPECT_EQ(Slot(kProgramName, kLanguageTw), ascii.substr(0, 63));
  EXPECT_EQ(Slot(kNextCd, kLanguageTw), std::string(62, 'c'));
  EXPECT_EQ(Slot(kUninstall, kLanguageTw), std::string(60, 'u') + "\xB3\x5C");
  EXPECT_EQ(Slot(kProgramName, kLanguageCn), "") << "the next slot is untouched";
}

TEST_F(SetupTextsTest, Big5TextsAreStoredByteForByte) {
  PutMessages(TextRows({{"ProgramName_TW", testsupport::kBig5Setup},
                        {"FAIL_MSG_TW", testsupport::kBig5Backslashes}}));
  LoadMessageTexts();
  setupState.languageIndex = kLanguageTw;
  EXPECT_STREQ(Text(kProgramName), testsupport::kBig5Setup);
  EXPECT_STREQ(Text(kFailMsg), testsupport::kBig5Backslashes);
}

TEST_F(SetupTextsTest, FilesWithoutCrLfRowsGiveNoTexts) {
  const char* files[] = {
      "ProgramName_EN\tTitle",                 // the only line has no line end
      "ProgramName_EN\tTitle\nNextCD_EN\tx\n",  // LF-only
      "",
  };
  for (const char* bytes : files) {
    PutMessages(bytes);
    LoadMessageTexts();
    EXPECT_EQ(Slot(kProgramName, kLanguageEn), "") << bytes;
    EXPECT_EQ(Slot(kNextCd, kLanguageEn), "") << bytes;
  }
  EXPECT_EQ(liveBlockCount, liveAtStart_);
}

TEST_F(SetupTextsTest, AMissingFileLeavesEveryTextEmpty) {
  LoadMessageTexts();
  for (int k = 0; k < kMessageKeyCount; ++k) EXPECT_STREQ(Text(static_cast<MessageKey>(k)), "");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SetupTextsTest, OnlyTheRunningLanguageIsShown) {
  PutMessages(TextRows({{"ProgramName_EN", "Setup"}}));
  LoadMessageTexts();
  setupState.languageIndex = kLanguageTw;
  EXPECT_STREQ(Text(kProgramName), "");
  setupState.languageIndex = kLanguageEn;
  EXPECT_STREQ(Text(kProgramName), "Setup");
  setupState.languageIndex = 3;
  EXPECT_STREQ(Text(kProgramName), "") << "a language out of range shows nothing";
  EXPECT_STREQ(Text(static_cast<MessageKey>(kMessageKeyCount)), "");
}

TEST_F(SetupTextsTest, TheMessageFileIsReadFromTheSetupdataPackage) {
  Put("setupdata.apkg", testsupport::BuildPackage(
                            {{"SETUP.PIC1", "x"}, {"MESSAGE.INI", TextRows({{"ProgramName_CN", "packed"}})}}));
  LoadMessageTexts();
  EXPECT_EQ(Slot(kProgramName, kLanguageCn), "packed");
  EXPECT_EQ(openFileCount, openAtStart_);
}

// ---------------------------------------------------------------------------
// Extra shortcuts
// ---------------------------------------------------------------------------

TEST_F(SetupTextsTest, ExtraLinksStandInTheLeadingRows) {
  PutLinks(TextRows({
      {"Extra_Link0", "manual.txt", "Manual"},
      {"Extra_Link1", "tools\\editor.exe", testsupport::kBig5Setup},
      {"Extra_Link2", "c.exe", "C"},
      {"Extra_Link3", "d.exe", "D"},
      {"Extra_Link4", "e.exe", "E"},
  }));
  EXPECT_EQ(ReadExtraLinks(), 4) << "a fifth row is never read";
  EXPECT_EQ(setupState.extraLinkCount, 4);
  EXPECT_STREQ(setupState.extraLinks[0].file, "manual.txt");
  EXPECT_STREQ(setupState.extraLinks[0].name, "Manual");
  EXPECT_STREQ(setupState.extraLinks[1].file, "tools\\editor.exe");
  EXPECT_STREQ(setupState.extraLinks[1].name, testsupport::kBig5Setup);
  EXPECT_STREQ(setupState.extraLinks[3].name, "D");
  EXPECT_EQ(liveBlockCount, liveAtStart_);
}

TEST_F(SetupTextsTest, TheFirstBreakInTheSequenceEndsTheList) {
  struct Case {
    const char* what;
    std::string bytes;
    int count;
  } cases[] = {
      {"a gap", TextRows({{"Extra_Link0", "a", "A"}, {"Extra_Link2", "c", "C"}}), 1},
      {"a blank first row", TextRows({{""}, {"Extra_Link0", "a", "A"}}), 0},
      {"another case", TextRows({{"extra_link0", "a", "A"}}), 0},
      {"an unrelated first row", TextRows({{"Links", "x"}, {"Extra_Link0", "a", "A"}}), 0},
      {"rows out of order", TextRows({{"Extra_Link1", "b", "B"}, {"Extra_Link0", "a", "A"}}), 0},
      {"the only row lacks its line end", "Extra_Link0\ta\tA", 0},
      {"one row with extra cells", TextRows({{"Extra_Link0", "a", "A", "more", "cells"}}), 1},
      {"an empty file", "", 0},
  };
  for (const Case& c : cases) {
    PutLinks(c.bytes);
    EXPECT_EQ(ReadExtraLinks(), c.count) << c.what;
    EXPECT_EQ(setupState.extraLinkCount, c.count) << c.what;
  }
  EXPECT_EQ(liveBlockCount, liveAtStart_);
}

TEST_F(SetupTextsTest, AnExtraLinkWithoutItsCellsIsEmpty) {
  PutLinks(TextRows({{"Extra_Link0"}}));
  ASSERT_EQ(ReadExtraLinks(), 1);
  EXPECT_STREQ(setupState.extraLinks[0].file, "");
  EXPECT_STREQ(setupState.extraLinks[0].name, "");
}

TEST_F(SetupTextsTest, ExtraLinkCellsAreCutTo255Bytes) {
  const std::string file(300, 'f');
  const std::string name = std::string(254, 'n') + testsupport::kBig5Setup;
  PutLinks(TextRows({{"Extra_Link0", file, name}}));
  setupState.extraLinks[1].file[0] = 'k';
  ASSERT_EQ(ReadExtraLinks(), 1);
  EXPECT_EQ(std::string(setupState.extraLinks[0].file), file.substr(0, 255));
  EXPECT_EQ(std::string(setupState.extraLinks[0].name), std::string(254, 'n'));
  EXPECT_EQ(setupState.extraLinks[1].file[0], 'k') << "nothing written past the slot";
}

TEST_F(SetupTextsTest, AMissingLinksFileGivesNoEntries) {
  setupState.extraLinkCount = 3;
  EXPECT_EQ(ReadExtraLinks(), 0);
  EXPECT_EQ(setupState.extraLinkCount, 0);
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
