// The fixture of the support library's tests: a fresh scratch folder as the
// current folder, the box script cleared, and a check that the test gave
// back every block and closed every file it took.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "a_file.h"
#include "a_mem.h"
#include "box_script.h"
#include "scratch.h"

namespace testsupport {

class LibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = NewScratch();
    plat::box_script::Clear();
    ASSERT_TRUE(plat::SetCurrentFolder(dir_.win.c_str()));
    liveAtStart_ = liveBlockCount;
    openAtStart_ = openFileCount;
  }
  void TearDown() override {
    EXPECT_EQ(liveBlockCount, liveAtStart_) << "blocks leaked by the test";
    EXPECT_EQ(openFileCount, openAtStart_) << "files left open by the test";
    plat::box_script::Clear();
  }

  std::string Win(const std::string& relative) const { return WinPath(dir_, relative); }
  std::string Native(const std::string& relative) const { return NativePath(dir_, relative); }
  void Put(const std::string& relative, const std::string& bytes) const {
    WriteNative(Native(relative), bytes);
  }
  std::string Get(const std::string& relative) const {
    std::string bytes;
    EXPECT_TRUE(ReadNative(Native(relative), &bytes)) << relative;
    return bytes;
  }
  const std::vector<plat::BoxRecord>& Boxes() const { return plat::box_script::Records(); }

  Scratch dir_;
  int32_t liveAtStart_ = 0;
  int32_t openAtStart_ = 0;
};

}  // namespace testsupport
