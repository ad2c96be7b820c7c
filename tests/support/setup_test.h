// The fixture of the installer's tests: the support library's fixture with
// the installer's process-wide record zeroed, as it is at start.
#pragma once

#include <cstring>

#include "lib_test.h"
#include "setup_state.h"

namespace testsupport {

class SetupTest : public LibTest {
 protected:
  void SetUp() override {
    LibTest::SetUp();
    std::memset(&setupState, 0, sizeof setupState);
  }
};

}  // namespace testsupport
