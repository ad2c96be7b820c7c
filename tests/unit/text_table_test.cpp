// The text table: rows at CR, cells at TAB, quotes, the rows' cells, and bounded
// text copies.
#include <string>
#include <vector>

#include "a_util.h"
#include "lib_test.h"
#include "text_writer.h"

namespace {

using testsupport::LibTest;

class TextTableTest : public LibTest {
 protected:
  // Loads `bytes` written as a file; every case also checks that the same
  // bytes split from memory give the same table.
  void LoadBytes(const std::string& bytes) {
    Put("t.txt", bytes);
    ASSERT_EQ(table_.Load(Win("t.txt").c_str()), 1);
    if (!alsoFromMemory_) return;
    TextTable fromMemory;
    ASSERT_EQ(fromMemory.LoadBytes(bytes.data(), static_cast<int>(bytes.size())), 1);
    ASSERT_EQ(fromMemory.rowCount, table_.rowCount);
    ASSERT_EQ(fromMemory.columnCount, table_.columnCount);
    for (int row = 0; row < table_.rowCount; ++row) {
      ASSERT_EQ(fromMemory.CellCount(row), table_.CellCount(row)) << "row " << row;
      for (int column = 0; column < table_.CellCount(row); ++column) {
        EXPECT_STREQ(fromMemory.Cell(column, row), table_.Cell(column, row)) << column << ", " << row;
      }
    }
  }
  void TearDown() override {
    table_.Unload();
    LibTest::TearDown();
  }
  std::string Cell(int column, int row) const { return table_.Cell(column, row); }

  TextTable table_;
  // Off where a case counts memory.
  bool alsoFromMemory_ = true;
};

TEST_F(TextTableTest, CrLfRowsAndTabCells) {
  LoadBytes("X\tY\r\nZ\r\n");
  EXPECT_EQ(table_.rowCount, 2);
  EXPECT_EQ(table_.columnCount, 2);
  EXPECT_EQ(Cell(0, 0), "X");
  EXPECT_EQ(Cell(1, 0), "Y");
  EXPECT_EQ(Cell(0, 1), "Z");
  EXPECT_EQ(Cell(1, 1), "") << "a cell the row does not have";
  EXPECT_EQ(Cell(-1, 0), "");
  EXPECT_EQ(Cell(0, -1), "");
  EXPECT_EQ(Cell(0, 2), "");
  EXPECT_EQ(Cell(2, 0), "");
}

TEST_F(TextTableTest, OnlyCrEndsARow) {
  struct Case {
    const char* what;
    std::string bytes;
    int rows;
    std::string lastRowFirstCell;
  } cases[] = {
      {"LF-only line ends", "A\tB\nC\tD\n", 0, ""},
      {"no line end at all", "ProgramName_EN\tTitle", 0, ""},
      {"last line without CR", "A\r\nB\tC", 1, "A"},
      {"CR alone at the end", "A\tB\r", 1, "A"},
      {"the byte after CR is dropped, whatever it is", "A\rXB\r\n", 2, "B"},
      {"empty file", "", 0, ""},
  };
  for (const Case& c : cases) {
    LoadBytes(c.bytes);
    EXPECT_EQ(table_.rowCount, c.rows) << c.what;
    if (c.rows > 0) {
      EXPECT_EQ(Cell(0, c.rows - 1), c.lastRowFirstCell) << c.what;
    }
    EXPECT_EQ(Cell(0, c.rows), "") << c.what;
  }
}

TEST_F(TextTableTest, EmptyLinesAndEmptyCells) {
  LoadBytes("\r\n a \t\t\tb\r\n\r\n");
  EXPECT_EQ(table_.rowCount, 3);
  EXPECT_EQ(table_.columnCount, 4);
  EXPECT_EQ(Cell(0, 0), "") << "an empty line is a row with one empty cell";
  EXPECT_EQ(Cell(0, 1), " a ") << "nothing is trimmed";
  EXPECT_EQ(Cell(1, 1), "");
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(Cell(3, 1), "b");
  EXPECT_EQ(Cell(0, 2), "");
}

TEST_F(TextTableTest, CellsBeyondARowReadEmpty) {
  LoadBytes("a\tb\tc\r\nd\r\ne\tf\r\n");
  EXPECT_EQ(table_.columnCount, 3) << "the widest row";
  EXPECT_EQ(Cell(2, 0), "c");
  EXPECT_EQ(Cell(1, 1), "");
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(Cell(1, 2), "f");
  EXPECT_EQ(Cell(2, 2), "");
}

TEST_F(TextTableTest, QuotesAroundACellAreDropped) {
  LoadBytes(testsupport::TextRows({
      {"\"x\"", "\"", "\"\"", "\"open", "close\"", "in\"side", "\"a\"b\""},
  }));
  EXPECT_EQ(Cell(0, 0), "x");
  EXPECT_EQ(Cell(1, 0), "") << "a lone quote";
  EXPECT_EQ(Cell(2, 0), "");
  EXPECT_EQ(Cell(3, 0), "\"open");
  EXPECT_EQ(Cell(4, 0), "close\"");
  EXPECT_EQ(Cell(5, 0), "in\"side");
  EXPECT_EQ(Cell(6, 0), "a\"b") << "no escapes: only the outer pair goes";
}

TEST_F(TextTableTest, BytesPassThroughUnexamined) {
  const std::string bom = "\xEF\xBB\xBF";
  LoadBytes(testsupport::TextRows({
      {bom + "Key", testsupport::kBig5Setup},
      {";comment", "[section]", testsupport::kBig5Backslashes},
  }));
  EXPECT_EQ(Cell(0, 0), bom + "Key") << "a byte-order mark is ordinary text";
  EXPECT_EQ(Cell(1, 0), testsupport::kBig5Setup);
  EXPECT_EQ(Cell(0, 1), ";comment");
  EXPECT_EQ(Cell(1, 1), "[section]");
  EXPECT_EQ(Cell(2, 1), testsupport::kBig5Backslashes);
}

TEST_F(TextTableTest, MissingFileGivesAnEmptyTable) {
  EXPECT_EQ(table_.Load(Win("missing.txt").c_str()), 1);
  EXPECT_EQ(table_.rowCount, 0);
  EXPECT_EQ(table_.columnCount, 0);
  EXPECT_EQ(table_.cells, nullptr);
  EXPECT_EQ(table_.text, nullptr);
  EXPECT_EQ(Cell(0, 0), "");
  EXPECT_EQ(liveBlockCount, liveAtStart_);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(TextTableTest, ReloadAndDestructionGiveTheBuffersBack) {
  LoadBytes("a\r\n");
  EXPECT_EQ(liveBlockCount, liveAtStart_ + 2) << "the text and the cells";
  LoadBytes("b\tc\r\n");
  EXPECT_EQ(liveBlockCount, liveAtStart_ + 2) << "a second Load unloads first";
  EXPECT_EQ(Cell(1, 0), "c");
  {
    TextTable scoped;
    scoped.Load(Win("t.txt").c_str());
    EXPECT_EQ(liveBlockCount, liveAtStart_ + 4);
  }
  EXPECT_EQ(liveBlockCount, liveAtStart_ + 2);
  table_.Unload();
  EXPECT_EQ(liveBlockCount, liveAtStart_);
  EXPECT_EQ(table_.rowCount, 0);
  EXPECT_EQ(table_.columnCount, 0);
}

// One row wide and many rows long: as a grid, 100 KB would ask for billions
// of cells. Only the cells that are there are kept, so the memory follows
// the size of the file.
TEST_F(TextTableTest, AWideAndLongTableTakesMemoryInProportionToItsFile) {
  alsoFromMemory_ = false;
  std::string bytes(40000, '\t');
  bytes += std::string(60000, '\r');
  const int32_t before = alloc_size;
  LoadBytes(bytes);
  EXPECT_EQ(table_.rowCount, 60000);
  EXPECT_EQ(table_.columnCount, 40001);
  EXPECT_LT(alloc_size - before, 20 * static_cast<int32_t>(bytes.size()));
  struct {
    int row, cells;
  } rows[] = {{0, 40001}, {1, 1}, {29999, 1}, {30000, 0}, {59999, 0}, {60000, 0}, {-1, 0}};
  for (const auto& r : rows) EXPECT_EQ(table_.CellCount(r.row), r.cells) << r.row;
  EXPECT_EQ(Cell(40000, 0), "");
  EXPECT_EQ(Cell(0, 30000), "");
  EXPECT_TRUE(Boxes().empty());
}

// The byte dropped after a CR may be a TAB or a CR: the rows then hold fewer
// cells than their TABs, and the text may end inside a counted row.
TEST_F(TextTableTest, RowsShiftedByDroppedBytes) {
  struct Case {
    std::string bytes;
    int rows, columns;
    std::vector<std::vector<std::string>> cells;  // each row's, in order
  } cases[] = {
      {"a\r\tb\r", 2, 2, {{"a"}, {"b"}}},
      {"a\r\rxyz", 2, 1, {{"a"}, {"xyz"}}},
      {"\r\r\t\t\t", 2, 1, {{""}, {""}}},
      {"\r\r\t\t\r\n", 3, 3, {{""}, {"", "", ""}, {}}},
  };
  for (const Case& c : cases) {
    LoadBytes(c.bytes);
    EXPECT_EQ(table_.rowCount, c.rows) << testing::PrintToString(c.bytes);
    EXPECT_EQ(table_.columnCount, c.columns) << testing::PrintToString(c.bytes);
    for (int r = 0; r < c.rows; ++r) {
      const std::vector<std::string> want = r < static_cast<int>(c.cells.size()) ? c.cells[r] : std::vector<std::string>{};
      ASSERT_EQ(table_.CellCount(r), static_cast<int>(want.size())) << testing::PrintToString(c.bytes) << " row " << r;
      for (size_t k = 0; k < want.size(); ++k) EXPECT_EQ(Cell(static_cast<int>(k), r), want[k]);
    }
  }
}

TEST_F(TextTableTest, RefusedMemoryLeavesTheTableEmpty) {
  alsoFromMemory_ = false;
  for (int refused = 0; refused < 2; ++refused) {
    plat::box_script::Clear();
    a_alloc_fail_after = refused;  // 0: the text, 1: the cells
    LoadBytes("a\tb\r\n");
    a_alloc_fail_after = -1;
    EXPECT_EQ(table_.rowCount, 0) << refused;
    EXPECT_EQ(Cell(0, 0), "") << refused;
    ASSERT_EQ(Boxes().size(), 1u) << refused;
    EXPECT_EQ(Boxes()[0].caption, "alloc failure");
    EXPECT_EQ(liveBlockCount, liveAtStart_) << "nothing is kept of a failed load";
  }
}

TEST_F(TextTableTest, CopyTextCutsWithoutSplittingACharacter) {
  char out[8];
  EXPECT_EQ(CopyText(out, sizeof out, "short"), 5);
  EXPECT_STREQ(out, "short");
  EXPECT_EQ(CopyText(out, sizeof out, "0123456789"), 7);
  EXPECT_STREQ(out, "0123456");
  // "ab" and two Big5 characters need 6 bytes and a zero; 5 bytes of room
  // hold "ab" and one character, 4 bytes hold only "ab".
  const std::string mixed = std::string("ab") + "\xA6\x77\xB8\xCB";
  EXPECT_EQ(CopyText(out, 5, mixed.c_str()), 4);
  EXPECT_EQ(std::string(out), mixed.substr(0, 4));
  EXPECT_EQ(CopyText(out, 4, mixed.c_str()), 2);
  EXPECT_STREQ(out, "ab");
  out[0] = 'z';
  EXPECT_EQ(CopyText(out, 1, "abc"), 0);
  EXPECT_STREQ(out, "");
  out[0] = 'z';
  EXPECT_EQ(CopyText(out, 0, "abc"), 0);
  EXPECT_EQ(out[0], 'z') << "no room, nothing written";
}

}  // namespace
