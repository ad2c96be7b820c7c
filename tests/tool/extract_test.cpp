// gamedisc extract from disc folders, on every build: the game tree as
// setup installs it, names read in their code page and written in Unicode,
// and every damaged or hostile set told, with nothing written outside the
// output folder.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "cli.h"
#include "code_pages.h"
#include "disc_writer.h"
#include "extract_test.h"
#include "zlib.h"

namespace {

namespace fs = std::filesystem;
using gamedisc::ExtractMode;
using testsupport::ExtractTest;

// Each damage or hostile input ends in exit code 1 with its reason, names
// the files written before it, and leaves nothing outside the output folder.
TEST_F(ExtractTest, DamageIsToldAndNothingLandsOutsideTheFolder) {
  BuildGame();
  const std::string cd1 = Get("out\\disc1\\cd1"), cd2 = Get("out\\disc2\\cd2");
  const std::string manual = Get("out\\disc1\\data\\manual\\manual.txt");
  const testsupport::SetupHeaderFields header = HeaderOf("Hostile");
  const struct {
    const char* what;
    std::function<void()> damage;
    std::vector<std::string> discs;
    std::string reason;
    bool namesWritten;
  } cases[] = {
      {"a missing second disc", [] {}, {"out\\disc1"}, "disc 2 is missing", false},
      {"a record that does not unpack",
       [&] {
         std::string damaged = cd2;
         damaged[1000] = static_cast<char>(damaged[1000] ^ 0x40);
         Put("out\\disc2\\cd2", damaged);
       },
       {"out"}, "a record does not unpack", true},
      {"a data file unlike the list", [&] { Put("out\\disc1\\data\\manual\\manual.txt", "the manuaL"); }, {"out"},
       "the disc's list of files gives 10 bytes", true},
      {"a listed file gone",
       [&] { ASSERT_EQ(std::remove(Native("out\\disc1\\data\\manual\\manual.txt").c_str()), 0); }, {"out"},
       "\\manual.txt is in the disc's list of files but not in disc 1's data folder", true},
      {"a stored path out of the folder",
       [&] {
         Put("hostile\\cd1", testsupport::BuildDiscs(header, {}, {{"\\..\\escaped.txt", "out"}})[0]);
       },
       {"hostile"}, "leads out of the target folder", false},
  };
  std::set<std::string> before;
  for (const auto& e : fs::directory_iterator(Native(""))) before.insert(e.path().filename().string());
  before.insert("hostile");
  int n = 0;
  for (const auto& c : cases) {
    Put("out\\disc1\\cd1", cd1);
    Put("out\\disc2\\cd2", cd2);
    Put("out\\disc1\\data\\manual\\manual.txt", manual);
    c.damage();
    const std::string out = "y\\" + std::to_string(n++);
    Outcome o = Extract(c.discs, out);
    EXPECT_EQ(o.exitCode, gamedisc::kExitFault) << c.what;
    EXPECT_NE(o.warned.find(c.reason), std::string::npos) << c.what << ": " << o.warned;
    EXPECT_EQ(o.warned.find("were written before this") != std::string::npos, c.namesWritten) << c.what << ": " << o.warned;
    for (const std::string& w : o.result.written) {
      EXPECT_NE(o.warned.find("  " + w + "\n"), std::string::npos) << c.what << ": " << w << " not named";
    }
    EXPECT_FALSE(testsupport::ExistsNative(Native("escaped.txt"))) << c.what;
    EXPECT_FALSE(testsupport::ExistsNative(Native("y\\escaped.txt"))) << c.what;
  }
  // Beside the output folders, the scratch folder holds what it held.
  std::set<std::string> after;
  for (const auto& e : fs::directory_iterator(Native(""))) after.insert(e.path().filename().string());
  after.erase("y");
  EXPECT_TRUE(after == before);
}

TEST_F(ExtractTest, AnExistingOutputFolderIsWrittenIntoOnlyWhenForced) {
  BuildGame();
  Put("x\\old.txt", "kept");
  Outcome o = Extract({"out"}, "x");
  EXPECT_EQ(o.exitCode, gamedisc::kExitFault);
  EXPECT_NE(o.warned.find("is not empty"), std::string::npos) << o.warned;
  EXPECT_TRUE(o.result.written.empty());
  o = Extract({"out"}, "x", ExtractMode::kWrite, 0, true);
  EXPECT_EQ(o.exitCode, gamedisc::kExitOk) << o.warned;
  auto tree = Expected();
  tree["old.txt"] = "kept";
  EXPECT_TRUE(Tree("x") == tree);
  EXPECT_NE(o.said.find("Every file matches the disc's list of files"), std::string::npos) << o.said;
  EXPECT_EQ(gamedisc::RunTool({"extract", "--quiet", Win("out"), "--out", Win("cli")}), gamedisc::kExitOk);
  EXPECT_TRUE(Tree("cli") == Expected());

  // The command line: what is wrong with it is exit code 2.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"extract", Win("out")},
           {"extract", Win("out"), "--names", "437", "--out", Win("w")},
           {"extract", Win("nothing-here"), "--out", Win("w")},
           {"extract", "--list", "--test", Win("out")}}) {
    EXPECT_EQ(gamedisc::RunTool(args), gamedisc::kExitUsage) << args.back();
  }
}

// For front ends: each file and the verdict as a JSON object a line, in
// the order the discs are given or not, and a fault as the verdict alone.
TEST_F(ExtractTest, ListAndTestSpeakJsonALine) {
  BuildGame();
  std::map<std::string, std::string> lines;  // by path, the line without its disc
  for (std::pair<std::string, std::string> file : Expected()) {
    if (file.first.back() == '\\') continue;
    std::replace(file.first.begin(), file.first.end(), '\\', '/');
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x",
                  static_cast<unsigned>(crc32(0, reinterpret_cast<const Bytef*>(file.second.data()),
                                              static_cast<uInt>(file.second.size()))));
    lines[file.first] = "{\"file\":\"" + file.first + "\",\"size\":" + std::to_string(file.second.size()) + ",\"crc32\":\"" +
                        crc + "\"}";
  }
  for (ExtractMode mode : {ExtractMode::kList, ExtractMode::kTest}) {
    const Outcome o = Extract({"out\\disc2", "out\\disc1"}, "", mode, 0, false, true);
    ASSERT_EQ(o.exitCode, gamedisc::kExitOk) << o.warned;
    std::vector<std::string> said;
    for (size_t at = 0, end; (end = o.said.find('\n', at)) != std::string::npos; at = end + 1) {
      said.push_back(o.said.substr(at, end - at));
    }
    ASSERT_EQ(said.size(), lines.size() + 1) << o.said;
    EXPECT_EQ(said.back().rfind("{\"verdict\":\"ok\",\"exit\":0,\"files\":" + std::to_string(lines.size()) + ",", 0), 0u)
        << said.back();
    EXPECT_NE(said.back().find(",\"discs\":2,\"listed\":true}"), std::string::npos) << said.back();
    said.pop_back();
    for (std::string line : said) {
      const size_t disc = line.find(",\"disc\":");
      ASSERT_NE(disc, std::string::npos) << line;
      const char number = line[disc + 8];
      EXPECT_TRUE(number == '1' || number == '2') << line;
      line.erase(disc, 9);
      const std::string path = line.substr(9, line.find('"', 9) - 9);
      EXPECT_EQ(line, lines[path]);
      if (path == "manual/manual.txt") {
        EXPECT_EQ(number, '1') << "the data folder is on disc 1";
      }
    }
  }
  std::string cd2 = Get("out\\disc2\\cd2");
  Put("out\\disc2\\cd2", cd2.substr(0, cd2.size() / 2));
  const Outcome o = Extract({"out"}, "", ExtractMode::kTest, 0, false, true);
  EXPECT_EQ(o.exitCode, gamedisc::kExitFault);
  EXPECT_EQ(o.said.rfind("{\"verdict\":\"fault\",\"exit\":1,\"error\":\"disc 2 (", 0), 0u) << o.said;
  EXPECT_EQ(std::count(o.said.begin(), o.said.end(), '\n'), 1) << o.said;
  EXPECT_EQ(gamedisc::RunTool({"extract", "--json", Win("out"), "--out", Win("w")}), gamedisc::kExitUsage);
}

TEST(JsonStringTest, EscapesAndKeepsOnlyUtf8) {
  const std::pair<std::string, std::string> rows[] = {
      {"plain/path.txt", "\"plain/path.txt\""},
      {"quote\" back\\", "\"quote\\\" back\\\\\""},
      {std::string("tab\t\x01", 5), "\"tab\\u0009\\u0001\""},
      {"\xE8\xA8\xB1", "\"\xE8\xA8\xB1\""},                       // a whole character
      {"\xB3\x5C.txt", "\"\xEF\xBF\xBD\\\\.txt\""},               // Big5 bytes, not UTF-8
      {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},               // overlong
      {"\xE8\xA8", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},               // cut
  };
  for (const auto& row : rows) EXPECT_EQ(gamedisc::JsonString(row.first), row.second) << row.first;
}

// Names are bytes of the code page the disc was made in: read in it (given
// or guessed, and the guess said) and written in Unicode (UTF-8 on Linux,
// UTF-16 on Windows). 許 is B3 5C in Big5: its second byte is no separator
// there.
TEST_F(ExtractTest, NamesAreReadInTheirCodePageAndWrittenInUnicode) {
  const testsupport::SetupHeaderFields header = HeaderOf("Names");
  const struct {
    const char* what;
    std::string folder, file;        // as stored
    std::string utf8Folder, utf8File;
    unsigned given, read;
  } cases[] = {
      {"Big5, guessed", "\\\xB3\\\xA4\xF3", "\\\xB3\\\xA4\xF3\\\xA4\xA4.txt", "\xE8\xA8\xB1\xE6\xB0\x8F",
       "\xE4\xB8\xAD.txt", 0, 950},
      {"GBK, guessed", "\\\xBC\xF2\xCC\xE5", "\\\xBC\xF2\xCC\xE5\\\xD6\xD0.txt", "\xE7\xAE\x80\xE4\xBD\x93",
       "\xE4\xB8\xAD.txt", 0, 936},
      {"GBK, given", "\\\xBC\xF2\xCC\xE5", "\\\xBC\xF2\xCC\xE5\\\xD6\xD0.txt", "\xE7\xAE\x80\xE4\xBD\x93",
       "\xE4\xB8\xAD.txt", 936, 936},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string disc = "names" + std::to_string(n), out = "n" + std::to_string(n);
    ++n;
    Put(disc + "\\cd1", testsupport::BuildDiscs(header, {c.folder}, {{c.file, "text"}})[0]);
    Outcome o = Extract({disc}, out, ExtractMode::kWrite, c.given);
    ASSERT_EQ(o.exitCode, gamedisc::kExitOk) << c.what << ": " << o.warned;
    EXPECT_EQ(o.result.codePage, c.read) << c.what;
    EXPECT_EQ(o.warned.find("a guess") != std::string::npos, c.given == 0) << c.what << ": " << o.warned;
    const fs::path written = fs::u8path(Native(out)) / fs::u8path(c.utf8Folder) / fs::u8path(c.utf8File);
    EXPECT_TRUE(fs::is_regular_file(written)) << c.what;
    EXPECT_EQ(fs::file_size(written), 4u) << c.what;
    EXPECT_NE(o.warned.find("nothing could be cross-checked"), std::string::npos) << c.what;
  }
}

TEST(DiscCodePages, NamesAndNumbersReadAsTheOptionsTakeThem) {
  const std::pair<const char*, unsigned> cases[] = {{"950", 950}, {"big5", 950}, {"BIG5", 950}, {"Big5", 950},
                                                    {"936", 936}, {"gbk", 936}, {"GBK", 936}, {"1252", 1252},
                                                    {"ascii", 0}, {"", 0}, {"9500", 0}, {"big", 0}, {"western", 0}};
  for (const auto& c : cases) {
    const disc::DiscCodePage* page = disc::DiscCodePageNamed(c.first);
    EXPECT_EQ(page != nullptr ? page->number : 0u, c.second) << c.first;
  }
  EXPECT_EQ(disc::DescribeDiscCodePage(*disc::FindDiscCodePage(950)), "950 (Big5, traditional Chinese)");
  EXPECT_EQ(disc::DescribeDiscCodePage(*disc::FindDiscCodePage(1252)), "1252 (Western)");
  EXPECT_EQ(disc::FindDiscCodePage(932), nullptr);
}

}  // namespace
