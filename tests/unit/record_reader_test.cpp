// The archive's record reader and the setup header, over bytes in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "apkg_writer.h"
#include "disc_writer.h"
#include "record_reader.h"
#include "setup_header.h"

namespace {

using testsupport::Deflate;
using testsupport::RecordStream;

struct Seen {
  disc::NextResult result;
  int tag;
  int64_t offset;
  unsigned long length;
};

// Every step the reader takes over `archive` (starting at archive offset
// `start`), up to the first that is not a record.
std::vector<Seen> Walk(const std::string& archive, int64_t start, disc::RecordDamage* damage) {
  std::vector<unsigned char> packed(kPackedBufferSize), unpacked(kUnpackedBufferSize);
  disc::MemorySource source(archive.data(), archive.size());
  disc::RecordReader reader(&source, start, packed.data(), unpacked.data());
  std::vector<Seen> seen;
  for (;;) {
    disc::Record record;
    const disc::NextResult result = reader.Next(&record);
    seen.push_back({result, record.tag, record.offset, record.length});
    if (result != disc::NextResult::kRecord) break;
  }
  *damage = reader.damage();
  return seen;
}

constexpr auto kRecord = disc::NextResult::kRecord;
constexpr auto kEnd = disc::NextResult::kEnd;
constexpr auto kDamaged = disc::NextResult::kDamaged;

TEST(RecordReader, RecordsAndDamageAsSetupAndTheToolTakeThem) {
  const std::string full(kUnpackedBufferSize, 'f');
  const std::string zlibThenMore = Deflate("x") + "!";
  const auto folder = static_cast<int64_t>(RecordStream().Folder("\\d").bytes().size());
  const auto data = static_cast<int64_t>(RecordStream().FileData("abc").bytes().size());
  struct Case {
    const char* what;
    std::string archive;
    std::vector<Seen> expected;
    disc::RecordDamage damage;
  };
  using D = disc::RecordDamage;
  const std::vector<Case> cases = {
      {"an empty archive", "", {{kEnd, 0, 100, 0}}, D::kNone},
      {"one-byte records, any tag",
       RecordStream().FileEnd().Raw("\x7f").Raw("\xff").DiscEnd().bytes(),
       {{kRecord, 4, 100, 0}, {kRecord, 127, 101, 0}, {kRecord, -1, 102, 0}, {kRecord, 5, 103, 0}, {kEnd, 0, 104, 0}},
       D::kNone},
      {"a folder, then a file's data at its offset", RecordStream().Folder("\\d").FileData("abc").bytes(),
       {{kRecord, 1, 100, 3}, {kRecord, 3, 100 + folder, 3}, {kEnd, 0, 100 + folder + data, 0}},
       D::kNone},
      {"a piece of exactly the buffer's size", RecordStream().FileData(full).bytes(),
       {{kRecord, 3, 100, kUnpackedBufferSize}, {kEnd, 0, 105 + static_cast<int64_t>(Deflate(full).size()), 0}},
       D::kNone},
      {"longer than any record", std::string("\x02", 1) + testsupport::Le32(kPackedBufferSize + 1),
       {{kDamaged, 2, 100, 0}}, D::kTooLong},
      {"cut inside the length", std::string("\x03\x10\x00", 3), {{kDamaged, 3, 100, 0}}, D::kCut},
      {"cut inside the payload", RecordStream().FileEnd().Raw(std::string("\x02", 1) + testsupport::Le32(50) + "short").bytes(),
       {{kRecord, 4, 100, 0}, {kDamaged, 2, 101, 0}}, D::kCut},
      {"no zlib stream", RecordStream().Packed(2, "not zlib at all").bytes(), {{kDamaged, 2, 100, 0}}, D::kNoUnpack},
      {"unpacks beyond a piece", RecordStream().FileData(full + "+").bytes(), {{kDamaged, 3, 100, 0}}, D::kNoUnpack},
      {"bytes after the stream", RecordStream().Packed(3, zlibThenMore).bytes(), {{kDamaged, 3, 100, 0}}, D::kNoUnpack},
  };
  for (const Case& c : cases) {
    disc::RecordDamage damage;
    const std::vector<Seen> seen = Walk(c.archive, 100, &damage);
    ASSERT_EQ(seen.size(), c.expected.size()) << c.what;
    for (size_t i = 0; i < seen.size(); ++i) {
      EXPECT_EQ(seen[i].result, c.expected[i].result) << c.what << ", step " << i;
      EXPECT_EQ(seen[i].tag, c.expected[i].tag) << c.what << ", step " << i;
      EXPECT_EQ(seen[i].offset, c.expected[i].offset) << c.what << ", step " << i;
      EXPECT_EQ(seen[i].length, c.expected[i].length) << c.what << ", step " << i;
    }
    EXPECT_EQ(damage, c.damage) << c.what;
  }
}

// A drive that delivers `good` bytes, then fails every read.
class FailingSource : public disc::ByteSource {
 public:
  FailingSource(const std::string& bytes, size_t good) : bytes_(bytes), good_(good) {}
  int Read(void* buffer, int length) override {
    size_t n = std::min(static_cast<size_t>(length), good_ - at_);
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    failed_ = n < static_cast<size_t>(length) && at_ < bytes_.size();
    return static_cast<int>(n);
  }
  bool Failed() const override { return failed_; }

 private:
  std::string bytes_;
  size_t good_, at_ = 0;
  bool failed_ = false;
};

TEST(RecordReader, AFailedReadLeavesThePositionAtTheRecordToReadAgain) {
  const std::string archive = RecordStream().FileEnd().FileData("piece").bytes();
  std::vector<unsigned char> packed(kPackedBufferSize), unpacked(kUnpackedBufferSize);
  for (size_t good : {size_t{1}, size_t{2}, size_t{4}, archive.size() - 1}) {
    FailingSource source(archive, good);
    disc::RecordReader reader(&source, 0, packed.data(), unpacked.data());
    disc::Record record;
    ASSERT_EQ(reader.Next(&record), kRecord) << good;
    EXPECT_EQ(reader.Next(&record), disc::NextResult::kUnreadable) << good;
    EXPECT_EQ(reader.position(), 1) << good;
  }
}

TEST(SetupHeader, BytesAndBackGiveTheSameFields) {
  disc::SetupHeader header{};
  disc::SetHeaderText(header.companyName, "Maker");
  disc::SetHeaderText(header.gameName, std::string(45, 'g'));
  disc::SetHeaderText(header.uninstallKey, "Key");
  disc::SetHeaderText(header.exeName, "bin\\game.exe");
  header.uninstallKey[20] = 'T';  // bytes after the terminator are carried
  header.discCount = -2;
  header.installSize = 0xFEDCBA98u;
  const std::string bytes = header.Bytes();
  ASSERT_EQ(bytes.size(), static_cast<size_t>(kSetupHeaderSize));
  EXPECT_EQ(bytes.substr(40, 40), std::string(40, 'g')) << "a text is cut at its field";
  EXPECT_EQ(bytes.substr(160), "\xfe\xff\xff\xff\x98\xba\xdc\xfe");

  disc::SetupHeader back{};
  disc::MemorySource source(bytes.data(), bytes.size());
  EXPECT_TRUE(back.Load(&source));
  EXPECT_EQ(back.Bytes(), bytes);
  EXPECT_STREQ(back.gameName, std::string(40, 'g').c_str()) << "the 41st byte ends the text";
  EXPECT_EQ(back.discCount, -2);
  EXPECT_EQ(back.installSize, 0xFEDCBA98u);
  EXPECT_EQ(back.uninstallKey[20], 'T');
}

TEST(SetupHeader, AShortFileLeavesTheFieldsItDoesNotReach) {
  disc::SetupHeader header{};
  disc::SetHeaderText(header.exeName, "kept.exe");
  header.discCount = 7;
  header.installSize = 9;
  const std::string bytes = std::string("Maker", 5) + std::string(35, '\0') + "Ga";
  disc::MemorySource source(bytes.data(), bytes.size());
  EXPECT_FALSE(header.Load(&source));
  EXPECT_STREQ(header.companyName, "Maker");
  EXPECT_STREQ(header.gameName, "Ga");
  EXPECT_STREQ(header.exeName, "kept.exe");
  EXPECT_EQ(header.discCount, 7);
  EXPECT_EQ(header.installSize, 9u);
}

}  // namespace
