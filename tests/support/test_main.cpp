// Runs the tests with the box script on, so that no box ever waits for a
// person, and fails the run if the tests as a whole leaked blocks or files.
#include <gtest/gtest.h>

#include <cstdio>

#include "a_file.h"
#include "a_mem.h"
#include "box_script.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  plat::box_script::Activate(false);
  int result = RUN_ALL_TESTS();
  if (liveBlockCount != 0 || openFileCount != 0) {
    std::fprintf(stderr, "unbalanced at the end of the run: %d blocks, %d files\n",
                 liveBlockCount, openFileCount);
    result = 1;
  }
  return result;
}
