// The .ccd, .mds and .nrg descriptor readers over any bytes.
// Property: none reads past its input; each refusal has a reason; a layout
// taken has a known sector size with the user bytes inside a sector, a
// start at or after byte 0, and (for .nrg, whose data is the input) every
// sector of the track before the chunk list.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image_descriptor.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void Check(bool taken, const gamedisc::TrackLayout& l, const std::string& error) {
  if (!taken) {
    if (error.empty()) Fail("refused without a reason");
    return;
  }
  if (l.sectorBytes != 2048 && l.sectorBytes != 2352 && l.sectorBytes != 2448) Fail("sector size");
  if (l.userOffset < 0 || l.userOffset + 2048 > l.sectorBytes) Fail("user bytes outside the sector");
  if (l.start < 0 || l.sectors < -1) Fail("start or length");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  gamedisc::TrackLayout l;
  std::string error;
  Check(gamedisc::ReadCcd(bytes, &l, &error), l, error);
  l = {};
  error.clear();
  Check(gamedisc::ReadMds(bytes, &l, &error), l, error);
  l = {};
  error.clear();
  const bool nrg = gamedisc::ReadNrg(bytes, 0, size, &l, &error);
  Check(nrg, l, error);
  if (nrg && (l.sectors < 0 || static_cast<uint64_t>(l.start) + static_cast<uint64_t>(l.sectors) * l.sectorBytes >
                                   static_cast<uint64_t>(gamedisc::NrgChunksAt(bytes, size)))) {
    Fail("the .nrg's track runs into its chunks");
  }
  gamedisc::DescribeSectors(bytes);
  return 0;
}
