// Packages for tests: the tool's package writer, and the little-endian
// helpers for tests that build or patch headers by hand.
#pragma once

#include "le.h"
#include "package.h"

namespace testsupport {

using discformat::BuildPackage;
using discformat::Le32;
using discformat::PackageEntry;
using discformat::PutLe32;

}  // namespace testsupport
