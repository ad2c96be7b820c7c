// Packages for tests: the tool's package writer, and the little-endian
// helpers for tests that build or patch headers by hand.
#pragma once

#include "little_endian.h"
#include "package.h"

namespace testsupport {

using disc::BuildPackage;
using alib::Le32;
using disc::PackageEntry;
using alib::PutLe32;

}  // namespace testsupport
