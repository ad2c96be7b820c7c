// The disc's list of files as setup reads it: the lists the tool writes are
// taken, every damaged form is refused with a reason, names are found as
// Windows matches them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disc_writer.h"
#include "manifest.h"
#include "setup_test.h"

namespace {

using testsupport::GameFile;

class ManifestTest : public testsupport::SetupTest {
 protected:
  // Parses `text` as the list; the reason when it is refused, else "".
  std::string Parse(const std::string& text, unsigned codePage = 1252) {
    Put("list.ini", text);
    TextTable table;
    table.Load(Win("list.ini").c_str());
    std::string reason;
    ok_ = manifest_.Parse(table, codePage, &reason);
    return ok_ ? "" : reason;
  }
  Manifest manifest_;
  bool ok_ = false;
};

const std::string kHead = "manifest\t1\r\ndiscs\t002\r\n";
const std::string kFile = "file\t002\t\\Maps\\One.map\t10\t0A1b2C3d\r\n";
const std::string kData = "data\t\\readme.txt\t0\t00000000\r\n";

TEST_F(ManifestTest, AWrittenListReadsBack) {
  const std::vector<GameFile> files = {{"\\uninstall.exe", "MZ"}, {"\\a\\b.bin", std::string(70000, 'b')}};
  const std::string text = testsupport::ManifestFor({"disc one", "disc two"}, files, {{"\\kelvora.exe", "MZ g"}});
  ASSERT_EQ(Parse(text), "");
  EXPECT_EQ(manifest_.discCount, 2);
  ASSERT_EQ(manifest_.files.size(), 3u);
  const ManifestFile* big = manifest_.Find(ManifestSource::kArchive, "\\A\\B.BIN", 8);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->size, 70000u);
  FileSum sum;
  sum.Add(files[1].content.data(), 30000);
  sum.Add(files[1].content.data() + 30000, 40000);
  EXPECT_EQ(big->crc, sum.crc) << "a CRC-32 computed in pieces is the whole file's";
  EXPECT_EQ(manifest_.Find(ManifestSource::kData, "\\a\\b.bin", 8), nullptr) << "sources are kept apart";
  EXPECT_NE(manifest_.Find(ManifestSource::kData, "\\KELVORA.exe", 12), nullptr);
  EXPECT_EQ(manifest_.FirstMissing(), &manifest_.files[0]);
  for (ManifestFile& f : manifest_.files) f.installed = true;
  EXPECT_EQ(manifest_.FirstMissing(), nullptr);
}

TEST_F(ManifestTest, FormsTheReaderTakes) {
  const std::string end = "end\t2\r\n";
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"plain", kHead + kFile + kData + end},
      {"rows of later kinds are passed over", kHead + "folder\t\\Maps\r\n" + kFile + "\r\n" + kData + end},
      {"cells after the known ones", kHead + "file\t2\t\\x\t1\tFFFFFFFF\tmore\r\n" + kData + end},
      {"an empty list", kHead + "end\t0\r\n"},
      {"the count with leading zeros", kHead + kFile + kData + "end\t0002\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.text), "") << c.what;
}

TEST_F(ManifestTest, DamagedListsAreRefused) {
  const std::string end = "end\t2\r\n";
  struct Case {
    const char* what;
    std::string text;
    const char* reason;
  } cases[] = {
      {"empty", "", "not a list of files"},
      {"no line ends", "manifest\t1", "not a list of files"},
      {"another file", "[InternetShortcut]\r\n", "not a list of files"},
      {"a later form", "manifest\t2\r\ndiscs\t1\r\nend\t0\r\n", "unknown form"},
      {"cut before the end row", kHead + kFile + kData, "cut short"},
      {"cut inside the end row", kHead + kFile + kData + "end\t2", "cut short"},
      {"a row lost", kHead + kData + end, "cut short"},
      {"rows after the end", kHead + kFile + kData + end + kData, "cut short"},
      {"no disc count", "manifest\t1\r\n" + kData + "end\t1\r\n", "no disc count"},
      {"two disc counts", kHead + "discs\t2\r\n" + kData + "end\t1\r\n", "row 3: not a disc count"},
      {"no discs", "manifest\t1\r\ndiscs\t0\r\nend\t0\r\n", "row 2: not a disc count"},
      {"a disc beyond the last", kHead + "file\t3\t\\x\t1\t00000000\r\nend\t1\r\n", "beyond the last"},
      {"disc 0", kHead + "file\t0\t\\x\t1\t00000000\r\nend\t1\r\n", "row 3: not a disc number"},
      {"a size with a sign", kHead + "data\t\\x\t-1\t00000000\r\nend\t1\r\n", "row 3: not a size"},
      {"a size beyond 64 bits", kHead + "data\t\\x\t18446744073709551616\t00000000\r\nend\t1\r\n", "not a size"},
      {"no size", kHead + "data\t\\x\t\t00000000\r\nend\t1\r\n", "not a size"},
      {"a short CRC", kHead + "data\t\\x\t1\t0000000\r\nend\t1\r\n", "not a CRC-32"},
      {"a CRC not in hex", kHead + "data\t\\x\t1\t0000000G\r\nend\t1\r\n", "not a CRC-32"},
      {"a name out of the folder", kHead + "data\t\\..\\x\t1\t00000000\r\nend\t1\r\n", "row 3: a name"},
      {"a name without its \\", kHead + "file\t1\tx\t1\t00000000\r\nend\t1\r\n", "a name"},
      {"a file named twice", kHead + kData + "data\t\\README.TXT\t1\t00000000\r\n" + end, "\\README.TXT twice"},
  };
  for (const Case& c : cases) {
    const std::string reason = Parse(c.text);
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
    EXPECT_FALSE(ok_) << c.what;
    EXPECT_TRUE(manifest_.files.empty()) << c.what;
  }
  // The same name under both sources is no repetition: the data folder's
  // copy overwrites the archive's.
  EXPECT_EQ(Parse(kHead + "file\t1\t\\readme.txt\t1\t00000000\r\n" + kData + end), "");
}

// Only single-byte letters are matched in either case: in Big5 "\xA4\x61"
// and "\xA4\x41" are two characters, and a 0x5C second byte is no separator.
TEST_F(ManifestTest, DoubleByteNamesAreMatchedAsTheirCodePageReadsThem) {
  const std::string big5 = "\\\xB3\\\\\xA4\x61.txt";  // \許\ then the character A4 61
  ASSERT_EQ(Parse(kHead + "data\t" + big5 + "\t1\t00000000\r\nend\t1\r\n", 950), "");
  EXPECT_NE(manifest_.Find(ManifestSource::kData, big5.data(), big5.size()), nullptr);
  const std::string upper = "\\\xB3\\\\\xA4\x61.TXT";
  EXPECT_NE(manifest_.Find(ManifestSource::kData, upper.data(), upper.size()), nullptr);
  const std::string other = "\\\xB3\\\\\xA4\x41.txt";
  EXPECT_EQ(manifest_.Find(ManifestSource::kData, other.data(), other.size()), nullptr);
  EXPECT_NE(Parse(kHead + "data\t" + big5 + "\t1\t00000000\r\nend\t1\r\n", 1252), "")
      << "under 1252 the name has an empty folder name";
}

TEST(FileSumTest, TheBoxTellsSizeAndCrc) {
  EXPECT_EQ(DescribeSum(1234567, 0xA1B2C3D4), "1,234,567 bytes, CRC-32 A1B2C3D4");
  EXPECT_EQ(DescribeSum(1, 0x1F), "1 byte, CRC-32 0000001F");
  FileSum sum;
  sum.Add("123456789", 9);
  EXPECT_EQ(sum.crc, 0xCBF43926u) << "the check value of CRC-32";
}

}  // namespace
