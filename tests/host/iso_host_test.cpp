// ISO images of the discs (Linux build only: made with xorriso): each holds
// its disc folder byte for byte, and a build repeats them exactly.
#include <cstdlib>
#include <string>

#include "disc_writer.h"
#include "tool_test.h"

namespace {

using testsupport::ToolTest;

class IsoTest : public ToolTest {};

TEST_F(IsoTest, EachDiscIsWrittenAsARepeatableImage) {
  ASSERT_EQ(std::system("command -v xorriso >/dev/null"), 0) << "xorriso is not installed (scripts/install-deps.sh)";
  WriteGame({{"kelvora.exe", "MZ game"}, {"big.bin", testsupport::Pattern(300000, 4)}, {"docs\\a.txt", "a"}});
  WriteProject("data = docs\n", "204800");
  ASSERT_TRUE(Build("first", true)) << error_;
  ASSERT_EQ(result_.discCount, 2);
  for (const std::string& w : result_.warnings) EXPECT_EQ(w.find("image"), std::string::npos) << w;
  ASSERT_TRUE(Build("second", true)) << error_;
  for (const char* disc : {"disc1", "disc2"}) {
    const std::string iso = std::string(disc) + ".iso";
    EXPECT_TRUE(Get("first\\" + iso) == Get("second\\" + iso)) << iso << " differs between two builds";
    const std::string extract = "xorriso -osirrox on -indev " + Native("first\\" + iso) + " -extract / " +
                                Native(std::string("extracted\\") + disc) + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(extract.c_str()), 0) << extract;
    EXPECT_TRUE(Tree(std::string("extracted\\") + disc) == Tree(std::string("first\\") + disc)) << disc;
  }
}

}  // namespace
