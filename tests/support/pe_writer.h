// The smallest Windows program that a signer takes as one: a PE32 image
// (i386, GUI) of one code section that returns at once, so that host tests
// can sign and check programs without a Windows build.
#pragma once

#include <string>

namespace testsupport {

// The image's bytes; `mark` (at most 500 bytes) follows the code, so that
// two programs differ.
std::string TinyProgram(const std::string& mark);

}  // namespace testsupport
