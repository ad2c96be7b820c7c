// Packages for tests: the tool's package writer, and the little-endian
// helpers for tests that build or patch headers by hand.
#pragma once

#include "little_endian.h"
#include "package.h"

namespace testsupport {

using disc::BuildPackage;
using disc::Le32;
using disc::PackageEntry;
using disc::PutLe32;

}  // namespace testsupport
