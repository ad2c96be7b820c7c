// The check of stored paths: every hostile form refused, ordinary names
// (Western, Big5 and GBK) accepted, each under the code page that reads it;
// names and relative paths likewise.
#include <gtest/gtest.h>

#include <string>

#include "stored_path.h"

namespace {

constexpr unsigned kWestern = 1252, kBig5 = 950, kGbk = 936;

PathVerdict Check(const std::string& path, unsigned codePage = kWestern) {
  std::string payload = path + std::string(1, '\0');
  return CheckStoredPath(payload.data(), payload.size(), codePage);
}

TEST(StoredPathTest, HostileFormsAreRefused) {
  struct Case {
    const char* what;
    std::string path;
    PathVerdict verdict;
  } cases[] = {
      {"parent", "\\..\\x", PathVerdict::kDotDot},
      {"parent deeper", "\\a\\b\\..\\..\\..\\x", PathVerdict::kDotDot},
      {"drive letter", "\\C:\\Windows\\x", PathVerdict::kColon},
      {"drive-relative", "\\C:x", PathVerdict::kColon},
      {"device namespace", "\\\\?\\C:\\x", PathVerdict::kReservedChar},
      {"UNC", "\\\\server\\share\\x", PathVerdict::kEmptyComponent},
      {"stream", "\\file.txt:stream", PathVerdict::kColon},
      {"device", "\\CON", PathVerdict::kDeviceName},
      {"device with extension", "\\dir\\nul.txt", PathVerdict::kDeviceName},
      {"device with spaces", "\\com1  .dat", PathVerdict::kDeviceName},
      {"printer port", "\\Lpt9", PathVerdict::kDeviceName},
      {"trailing dot", "\\name.", PathVerdict::kTrailingDotOrSpace},
      {"trailing space", "\\dir \\x", PathVerdict::kTrailingDotOrSpace},
      {"single dot", "\\.\\x", PathVerdict::kTrailingDotOrSpace},
      {"control character", "\\a\tb", PathVerdict::kControlChar},
      {"reserved <", "\\a<b", PathVerdict::kReservedChar},
      {"reserved |", "\\a|b", PathVerdict::kReservedChar},
      {"reserved ?", "\\a?", PathVerdict::kReservedChar},
      {"reserved *", "\\*.*", PathVerdict::kReservedChar},
      {"reserved quote", "\\a\"b", PathVerdict::kReservedChar},
      {"slash", "\\a/b", PathVerdict::kForwardSlash},
      {"no leading backslash", "a\\b", PathVerdict::kNoLeadingSlash},
      {"only a backslash", "\\", PathVerdict::kEmpty},
      {"empty", "", PathVerdict::kEmpty},
      {"trailing backslash", "\\dir\\", PathVerdict::kEmptyComponent},
      {"overlong component", "\\" + std::string(256, 'x'), PathVerdict::kTooLong},
  };
  // Plain ASCII reads alike under every code page.
  for (unsigned codePage : {kWestern, kBig5, kGbk}) {
    for (const Case& c : cases) EXPECT_EQ(Check(c.path, codePage), c.verdict) << c.what << " under " << codePage;
  }
}

// Big5 許 B3 5C, 功 A5 5C, 蓋 BB 5C, 四 A5 7C, 說明 BB A1 A9 FA; GBK 衆 D0 5C,
// 誠 D5 5C, 謀 D6 5C, 億 83 7C. Under its own code page such a character is
// one character; under a Western one its second byte is "\" or "|".
TEST(StoredPathTest, DoubleByteNamesAreReadInTheSystemsCodePage) {
  const std::string xu = "\xB3\\", gong = "\xA5\\", gai = "\xBB\\", si = "\xA5|";
  const std::string shuoming = "\xBB\xA1\xA9\xFA";
  const std::string zhong = "\xD0\\", cheng = "\xD5\\", mou = "\xD6\\", yi = "\x83|";
  struct Case {
    const char* what;
    std::string path;
    unsigned codePage;
    PathVerdict verdict;
  } cases[] = {
      {"Big5 folder and file", "\\" + xu + gong + gai + "\\" + shuoming + ".txt", kBig5, PathVerdict::kSafe},
      {"the same, byte by byte", "\\" + xu + gong + gai + "\\" + shuoming + ".txt", kWestern,
       PathVerdict::kEmptyComponent},
      {"0x5C second bytes on both sides of a separator", "\\" + xu + "\\" + gong, kBig5, PathVerdict::kSafe},
      {"the same, byte by byte", "\\" + xu + "\\" + gong, kWestern, PathVerdict::kEmptyComponent},
      {"Big5 0x7C second byte", "\\" + si + "\\" + gong + ".map", kBig5, PathVerdict::kSafe},
      {"the same, byte by byte", "\\" + si + ".map", kWestern, PathVerdict::kReservedChar},
      {"GBK folder and file", "\\" + zhong + cheng + "\\" + mou + yi + ".txt", kGbk, PathVerdict::kSafe},
      {"the same, byte by byte", "\\" + zhong + cheng + "\\x.txt", kWestern, PathVerdict::kEmptyComponent},
      // Hostile only as the system reads it.
      {"device behind a second byte", "\\" + gong + "CON", kWestern, PathVerdict::kDeviceName},
      {"the same as one name", "\\" + gong + "CON", kBig5, PathVerdict::kSafe},
      {"parent behind a 0x5C second byte", "\\" + xu + "\\..\\x", kBig5, PathVerdict::kDotDot},
      {"parent after a character", "\\" + xu + "\\..\\x", kGbk, PathVerdict::kDotDot},
      {"parent hidden by a lead byte", "\\\xA5\\..\\x", kWestern, PathVerdict::kDotDot},
      {"dots that a lead byte takes", "\\\xA5\\..\\x", kBig5, PathVerdict::kTrailingDotOrSpace},
      {"blank name after a lead byte", "\\name\xA5\\ \\b", kWestern, PathVerdict::kTrailingDotOrSpace},
      {"colon as a second byte", "\\\xA5:x", kBig5, PathVerdict::kColon},
      {"control byte as a second byte", "\\\xA5\x01", kGbk, PathVerdict::kControlChar},
      {"slash as a second byte", "\\\xA5/..", kBig5, PathVerdict::kForwardSlash},
      {"drive after a character", "\\" + gong + "\\C:\\x", kBig5, PathVerdict::kColon},
  };
  for (const Case& c : cases) EXPECT_EQ(Check(c.path, c.codePage), c.verdict) << c.what << " under " << c.codePage;
}

TEST(StoredPathTest, OrdinaryNamesAreAccepted) {
  for (const std::string& path : {std::string("\\Save"), std::string("\\data\\maps\\level 1.map"),
                                  std::string("\\.hidden"), std::string("\\console.txt"),
                                  std::string("\\COM10"), std::string("\\a..b"),
                                  std::string("\\Caf\xE9\\menu.txt"),
                                  std::string("\\\xA5\\\xAF\xE0\\x.dat"),  // safe either way
                                  "\\" + std::string(255, 'x')}) {
    for (unsigned codePage : {kWestern, kBig5, kGbk}) EXPECT_EQ(Check(path, codePage), PathVerdict::kSafe) << path;
  }
}

TEST(StoredPathTest, TheZeroMustLieInsideThePayload) {
  const char payload[] = {'\\', 'a', 'b'};
  EXPECT_EQ(CheckStoredPath(payload, sizeof payload, kBig5), PathVerdict::kNotTerminated);
  const char early[] = {'\\', 'a', '\0', '.', '.'};
  EXPECT_EQ(CheckStoredPath(early, sizeof early, kWestern), PathVerdict::kSafe) << "bytes after the zero are not part of it";
  const char lead[] = {'\\', 'a', '\xB3', '\0', '\\'};
  EXPECT_EQ(CheckStoredPath(lead, sizeof lead, kBig5), PathVerdict::kSafe) << "a lead byte does not take the zero";
}

// 許 is B3 5C in Big5 (950), 衆 D0 5C in GBK (936).
TEST(StoredPathTest, SafeNamesAndRelativePaths) {
  struct Case {
    const char* text;
    unsigned codePage;
    bool name, relative;
  } cases[] = {
      {"", 1252, true, true},
      {"Play the game", 1252, true, true},
      {"..", 1252, false, false},
      {"a\\b", 950, false, true},
      {"a/b", 1252, false, false},
      {"c:x", 950, false, false},
      {"bin\\game.exe", 1252, false, true},
      {"..\\game.exe", 936, false, false},
      {"C:\\Windows\\x.exe", 1252, false, false},
      {"\xB3\\\xA5\\", 950, true, true},
      {"\xB3\\\xA5\\", 1252, false, false},
      {"\xD0\\x", 936, true, true},
      {"\xD0\\x", 1252, false, true},
      {"\xB3\\\\..", 950, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSafeName(c.text, c.codePage), c.name) << c.text << " under " << c.codePage;
    EXPECT_EQ(IsSafeRelativePath(c.text, c.codePage), c.relative) << c.text << " under " << c.codePage;
  }
}

}  // namespace
