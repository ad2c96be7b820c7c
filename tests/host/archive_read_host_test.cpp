// list and verify over a drive whose reads fail: a read of an archive that
// fails is told as such, never taken for the end of a disc or for damage.
#include <string>

#include "disc_writer.h"
#include "discset.h"
#include "host_control.h"
#include "tool_test.h"

namespace {

class ArchiveReadTest : public testsupport::ToolTest {};

TEST_F(ArchiveReadTest, EveryFailingReadOfAnArchiveIsAFault) {
  WriteGame({{"kelvora.exe", "MZ game"}, {"big.bin", testsupport::Pattern(300000, 5)}, {"docs\\a.txt", "a"}});
  WriteProject("data = docs\n", "204800");
  ASSERT_TRUE(Build()) << error_;
  gamedisc::DiscContents contents;
  gamedisc::Fault fault;
  plat::host::ResetFaults();
  ASSERT_TRUE(gamedisc::ReadArchives(Discs(), &contents, &fault)) << gamedisc::DescribeFault(fault);
  ASSERT_EQ(contents.discCount, 2);
  const int reads = plat::host::CallCount(plat::host::kFaultRead);
  ASSERT_GT(reads, 10);
  for (int n = 1; n <= reads; ++n) {
    plat::host::ResetFaults();
    plat::host::FailCall(plat::host::kFaultRead, n);
    gamedisc::DiscContents again;
    gamedisc::Fault failed;
    EXPECT_FALSE(gamedisc::ReadArchives(Discs(), &again, &failed)) << "read " << n << " failed, yet the set passed";
    EXPECT_EQ(failed.reason, "cannot be read") << "read " << n;
  }
  plat::host::ResetFaults();
}

}  // namespace
