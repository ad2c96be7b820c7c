// The diagnostic log: CR LF lines appended to "log.txt" in the current folder.
#include <string>

#include "a_log.h"
#include "lib_test.h"

namespace {

using testsupport::LibTest;

class LogTest : public LibTest {};

TEST_F(LogTest, LinesAreAppendedWithCrLf) {
  Put("log.txt", "earlier\r\n");
  WriteLog("first %d", 1);
  WriteLog("second %s", "x");
  EXPECT_EQ(Get("log.txt"), "earlier\r\nfirst 1\r\nsecond x\r\n");
}

TEST_F(LogTest, TextWithoutPlaceholdersAndEmbeddedLineBreaks) {
  WriteLog("plain 100%% text");
  WriteLog("[load second time : %s : %d]\n", "setupdata\\progress", 3);
  EXPECT_EQ(Get("log.txt"),
            "plain 100% text\r\n[load second time : setupdata\\progress : 3]\r\n\r\n");
}

TEST_F(LogTest, FollowsTheCurrentFolder) {
  testsupport::MakeFolderNative(Native("sub"));
  ASSERT_TRUE(plat::SetCurrentFolder(Win("sub").c_str()));
  WriteLog("here");
  EXPECT_EQ(Get("sub\\log.txt"), "here\r\n");
  EXPECT_FALSE(testsupport::ExistsNative(Native("log.txt")));
}

// A log that cannot be opened (here a folder stands in its place, as a
// read-only disc would refuse it) loses the line and nothing else happens.
TEST_F(LogTest, AnUnwritableLogIsSilent) {
  testsupport::MakeFolderNative(Native("log.txt"));
  WriteLog("lost %d", 7);
  EXPECT_TRUE(testsupport::IsFolderNative(Native("log.txt")));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LogTest, OverlongLineIsCutNotOverrun) {
  std::string big(5000, 'q');
  WriteLog("%s", big.c_str());
  std::string log = Get("log.txt");
  ASSERT_EQ(log.size(), 1023u + 2u);
  EXPECT_EQ(log.substr(0, 1023), big.substr(0, 1023));
  EXPECT_EQ(log.substr(1023), "\r\n");
}

}  // namespace
