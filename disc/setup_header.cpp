#include "setup_header.h"

#include "little_endian.h"

namespace disc {

static_assert(4 * kHeaderTextBytes + 8 == kSetupHeaderSize, "the header's fields fill its 168 bytes");

bool SetupHeader::Load(ByteSource* source) {
  int got = 0;
  for (char* text : {companyName, gameName, uninstallKey, exeName}) got += source->Read(text, kHeaderTextBytes);
  unsigned char number[4] = {};
  int n = source->Read(number, 4);
  if (n == 4) discCount = static_cast<int32_t>(alib::LoadLe32(number));
  got += n;
  n = source->Read(number, 4);
  if (n == 4) installSize = alib::LoadLe32(number);
  got += n;
  return got == kSetupHeaderSize;
}

}  // namespace disc
