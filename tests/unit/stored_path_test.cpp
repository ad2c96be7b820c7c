// The check of stored paths: every hostile form refused, ordinary names
// (Western and Big5) accepted.
#include <gtest/gtest.h>

#include <string>

#include "stored_path.h"

namespace {

PathVerdict Check(const std::string& path) {
  std::string payload = path + std::string(1, '\0');
  return CheckStoredPath(payload.data(), payload.size());
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
      // 0xA5 0x5C is one Big5 character; read byte by byte it ends "\xA5"
      // and ".." follows: unsafe on a Western system.
      {"double-byte hiding a parent", "\\\xA5\\..\\x", PathVerdict::kDotDot},
      {"double-byte hiding a blank name", "\\name\xA5\\ \\b", PathVerdict::kTrailingDotOrSpace},
  };
  for (const Case& c : cases) EXPECT_EQ(Check(c.path), c.verdict) << c.what;
}

TEST(StoredPathTest, OrdinaryNamesAreAccepted) {
  for (const std::string& path : {std::string("\\Save"), std::string("\\data\\maps\\level 1.map"),
                                  std::string("\\.hidden"), std::string("\\console.txt"),
                                  std::string("\\COM10"), std::string("\\a..b"),
                                  std::string("\\Caf\xE9\\menu.txt"),
                                  std::string("\\\xA5\\\xAF\xE0\\x.dat"),  // Big5 0xA55C 0xAFE0
                                  "\\" + std::string(255, 'x')}) {
    EXPECT_EQ(Check(path), PathVerdict::kSafe) << path;
  }
}

TEST(StoredPathTest, TheZeroMustLieInsideThePayload) {
  const char payload[] = {'\\', 'a', 'b'};
  EXPECT_EQ(CheckStoredPath(payload, sizeof payload), PathVerdict::kNotTerminated);
  const char early[] = {'\\', 'a', '\0', '.', '.'};
  EXPECT_EQ(CheckStoredPath(early, sizeof early), PathVerdict::kSafe) << "bytes after the zero are not part of it";
}

}  // namespace
