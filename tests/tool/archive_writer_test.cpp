// The archive writer: stored zlib streams of a known size, and the layout of
// records over discs at their capacity edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "a_mem.h"
#include "archive_writer.h"
#include "disc_writer.h"
#include "little_endian.h"
#include "records.h"

namespace {

using disc::ArchiveWriter;
using disc::MemorySink;
using testsupport::Pattern;

std::string UnpackAll(const std::string& packed, size_t room) {
  std::string out(room, '\0');
  unsigned long produced = static_cast<unsigned long>(room);
  int rc = Unpack(reinterpret_cast<unsigned char*>(&out[0]), &produced,
                  reinterpret_cast<const unsigned char*>(packed.data()), static_cast<unsigned long>(packed.size()));
  EXPECT_EQ(rc, 0);
  out.resize(produced);
  return out;
}

// Reads archives back the simple way: every file's content in order, and
// checks that every record is whole and within the limits of the reader.
std::map<std::string, std::string> ReadBack(const std::vector<std::string>& discs) {
  std::map<std::string, std::string> files;
  std::string open;
  for (size_t d = 0; d < discs.size(); ++d) {
    const std::string& disc = discs[d];
    size_t at = d == 0 ? disc::kSetupHeaderBytes : 0;
    while (at < disc.size()) {
      int8_t tag = static_cast<int8_t>(disc[at++]);
      if (tag == disc::kTagDiscEnd) {
        EXPECT_EQ(at, disc.size()) << "nothing follows DiscEnd";
        break;
      }
      if (tag == disc::kTagFileEnd) {
        open.clear();
        continue;
      }
      EXPECT_TRUE(tag >= 1 && tag <= 3) << "tag " << int(tag);
      if (!(tag >= 1 && tag <= 3) || at + 4 > disc.size()) return files;
      uint32_t length = alib::LoadLe32(disc.data() + at);
      EXPECT_LE(length, disc::kMaxPackedBytes);
      EXPECT_LE(at + 4 + length, disc.size());
      std::string payload = UnpackAll(disc.substr(at + 4, length), disc::kMaxPieceBytes);
      at += 4 + length;
      if (tag == disc::kTagFileStart) {
        open = payload.c_str();
        files[open];
      } else if (tag == disc::kTagFileData) {
        EXPECT_FALSE(open.empty()) << "data with no file";
        files[open] += payload;
      }
    }
  }
  EXPECT_TRUE(open.empty()) << "the last disc ends inside " << open;
  return files;
}

std::vector<std::string> Lay(const std::vector<std::pair<std::string, std::string>>& files, uint64_t capacity,
                             std::string* error = nullptr) {
  MemorySink sink;
  ArchiveWriter writer(&sink, [capacity](int) { return capacity; });
  for (const auto& f : files) writer.File(f.first, f.second);
  disc::HeaderTexts header;
  header.gameName = "Game";
  bool ok = writer.Finish(header);
  if (error != nullptr) *error = writer.error();
  if (!ok) return {};
  EXPECT_EQ(static_cast<int32_t>(alib::LoadLe32(sink.discs[0].data() + 160)), writer.discCount());
  return sink.discs;
}

TEST(StoredZlib, UnpacksToItsInputAndHasTheSizeForetold) {
  const std::string data = Pattern(204800, 3);
  for (size_t length : {size_t(0), size_t(1), size_t(65535), size_t(65536), size_t(131070), size_t(204800)}) {
    for (size_t extra : {size_t(0), size_t(2)}) {
      size_t blocks = disc::MinStoredBlocks(length) + extra;
      std::string z = disc::StoredZlib(data.data(), length, blocks);
      EXPECT_EQ(z.size(), disc::StoredZlibSize(length, blocks)) << length << " in " << blocks;
      EXPECT_EQ(UnpackAll(z, disc::kMaxPieceBytes), data.substr(0, length)) << length << " in " << blocks;
    }
  }
}

// An incompressible file larger than a disc: every disc but the last is
// filled to its last byte, none is larger, and the file reads back whole.
TEST(ArchiveWriter, AFileLargerThanADiscFillsEachDiscExactly) {
  const std::string big = Pattern(1000000, 5);
  const uint64_t capacity = 300000;
  std::vector<std::string> discs = Lay({{"\\big.bin", big}, {"\\after.txt", "after"}}, capacity);
  ASSERT_EQ(discs.size(), 4u);
  for (size_t d = 0; d + 1 < discs.size(); ++d) EXPECT_EQ(discs[d].size(), capacity) << "disc " << d + 1;
  EXPECT_LE(discs.back().size(), capacity);
  auto files = ReadBack(discs);
  EXPECT_EQ(files["\\big.bin"], big);
  EXPECT_EQ(files["\\after.txt"], "after");
}

// A compressible file at a disc's end is cut where its packed head still
// fits, which carries more of it than storing would.
TEST(ArchiveWriter, ACompressibleFileIsCutPackedNearTheEnd) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "line " + std::to_string(i * 7919 % 100003) + " of the harbor map\n";
  const uint64_t capacity = 120000;
  std::vector<std::string> discs = Lay({{"\\map.txt", text}}, capacity);
  ASSERT_GE(discs.size(), 2u);
  for (size_t d = 0; d + 1 < discs.size(); ++d) {
    EXPECT_LE(discs[d].size(), capacity);
    EXPECT_GE(discs[d].size(), capacity - 64) << "disc " << d + 1 << " is left mostly empty";
  }
  EXPECT_EQ(ReadBack(discs)["\\map.txt"], text);
}

// A piece whose record ends on the disc's last byte stays whole; the file's
// end and DiscEnd go to the next disc. One byte less, and the piece is cut
// so that its head fills the disc.
TEST(ArchiveWriter, APieceThatExactlyFillsADiscStaysWhole) {
  const std::string content = Pattern(50000, 7);
  std::vector<std::string> one = Lay({{"\\a.bin", content}}, 0);
  ASSERT_EQ(one.size(), 1u);
  const uint64_t exact = one[0].size() - 2;  // without FileEnd and DiscEnd
  std::vector<std::string> discs = Lay({{"\\a.bin", content}}, exact);
  ASSERT_EQ(discs.size(), 2u);
  EXPECT_EQ(discs[0], one[0].substr(0, exact).replace(160, 4, alib::Le32(2))) << "disc 1 as before, whole";
  EXPECT_EQ(discs[1], std::string("\x04\x05", 2));
  EXPECT_EQ(ReadBack(discs)["\\a.bin"], content);

  std::vector<std::string> shorter = Lay({{"\\a.bin", content}}, exact - 1);
  ASSERT_EQ(shorter.size(), 2u);
  EXPECT_EQ(shorter[0].size(), exact - 1) << "the cut piece fills the disc";
  EXPECT_EQ(ReadBack(shorter)["\\a.bin"], content);
}

TEST(ArchiveWriter, EmptyFilesAndFoldersAndTheHeader) {
  MemorySink sink;
  ArchiveWriter writer(&sink, [](int) { return uint64_t{0}; });
  EXPECT_TRUE(writer.Folder("\\save"));
  EXPECT_TRUE(writer.File("\\empty.txt", ""));
  disc::HeaderTexts header{"Maker", "Game", "Key", "game.exe", 0, 1234};
  ASSERT_TRUE(writer.Finish(header));
  ASSERT_EQ(sink.discs.size(), 1u);
  header.discCount = 1;
  EXPECT_EQ(sink.discs[0].substr(0, 168), disc::SetupHeaderBytes(header));
  disc::RecordStream expected;
  expected.Folder("\\save").FileStart("\\empty.txt").FileEnd().DiscEnd();
  EXPECT_EQ(sink.discs[0].substr(168), expected.bytes());
}

TEST(ArchiveWriter, ADiscTooSmallForAnyRecordIsRefused) {
  std::string error;
  EXPECT_TRUE(Lay({{"\\a.bin", "x"}}, 150, &error).empty());
  EXPECT_NE(error.find("setup header"), std::string::npos) << error;
  // A name that does not pack small enough for any disc.
  MemorySink sink;
  ArchiveWriter writer(&sink, [](int) { return uint64_t{200}; });
  EXPECT_FALSE(writer.Folder("\\" + Pattern(300, 9)));
  EXPECT_NE(writer.error().find("cannot hold a record"), std::string::npos) << writer.error();
  EXPECT_FALSE(writer.Finish(disc::HeaderTexts())) << "a failed writer stays failed";
}

// A feed that fails at file `failAt`: on opening it, or after `readable`
// bytes of it.
class FailingFeed : public disc::MemoryFeed {
 public:
  FailingFeed(size_t failAt, bool onOpen, size_t readable) : failAt_(failAt), onOpen_(onOpen), readable_(readable) {}
  bool Open(size_t index, std::string* why) override {
    open_ = index;
    read_ = 0;
    if (index == failAt_ && onOpen_) {
      *why = "cannot open file " + std::to_string(index);
      return false;
    }
    return MemoryFeed::Open(index, why);
  }
  size_t Read(char* buffer, size_t length) override {
    if (open_ == failAt_ && !onOpen_) length = std::min(length, readable_ - read_);
    const size_t got = length == 0 ? 0 : MemoryFeed::Read(buffer, length);
    read_ += got;
    return got;
  }

 private:
  size_t failAt_;
  bool onOpen_;
  size_t readable_;
  size_t open_ = 0;
  size_t read_ = 0;
};

// Pieces of 1,000 bytes over discs of 7,000: most pieces that reach a
// disc's end are cut, the pieces read ahead of them laid anew, and files
// go on over several discs. Whatever the number of jobs (and so the window
// read ahead), the discs are the same, and so are a failure and what was
// written before it.
TEST(ArchiveWriter, FilesComeOutTheSameOnAnyNumberOfJobs) {
  std::vector<std::pair<std::string, std::string>> files;
  for (unsigned i = 0; i < 40; ++i) {
    std::string content;
    const size_t size = i % 7 == 3 ? 0 : (i * 2731) % 23000;
    if (i % 3 == 0) {
      content = Pattern(size, i);
    } else {
      for (unsigned n = 0; content.size() < size; ++n) content += "row " + std::to_string(n * i % 977) + "\n";
      content.resize(size);
    }
    files.push_back({"\\f" + std::to_string(i) + ".bin", content});
  }
  struct Case {
    const char* what;
    size_t failAt;  // past the last file: no failure
    bool onOpen;
    size_t readable;
    const char* error;
  };
  const Case cases[] = {
      {"whole", files.size(), false, 0, ""},
      {"a file that cannot be opened", 31, true, 0, "cannot open file 31"},
      // Both span discs: each is cut at a disc's end before its reading fails.
      {"an incompressible file that ends early", 33, false, 15500, "f33.bin (it ended early"},
      {"a compressible file that ends early", 25, false, 12000, "f25.bin (it ended early"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> first;
    for (int jobs : {1, 2, 8}) {
      SCOPED_TRACE("jobs " + std::to_string(jobs));
      MemorySink sink;
      ArchiveWriter writer(&sink, [](int) { return uint64_t{7000}; }, 1000);
      writer.jobs = jobs;
      FailingFeed feed(c.failAt, c.onOpen, c.readable);
      for (const auto& f : files) feed.Add(f.first, f.second);
      const bool whole = c.failAt == files.size();
      EXPECT_EQ(writer.Files(&feed), whole);
      EXPECT_NE(writer.error().find(c.error), std::string::npos) << writer.error();
      if (whole) {
        ASSERT_TRUE(writer.Finish(disc::HeaderTexts()));
        EXPECT_GE(sink.discs.size(), 20u);
        auto back = ReadBack(sink.discs);
        for (const auto& f : files) EXPECT_TRUE(back[f.first] == f.second) << f.first;
      }
      if (jobs == 1) {
        first = sink.discs;
      } else {
        EXPECT_TRUE(sink.discs == first) << "the discs differ from those of one job";
      }
    }
  }
}

}  // namespace
