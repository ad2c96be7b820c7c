#include "setup_header.h"

#include <algorithm>
#include <cstring>

#include "little_endian.h"

namespace disc {

static_assert(4 * kHeaderTextBytes + 8 == kSetupHeaderSize, "the header's fields fill its 168 bytes");

bool SetupHeader::Load(ByteSource* source) {
  int got = 0;
  for (char* text : {companyName, gameName, uninstallKey, exeName}) got += source->Read(text, kHeaderTextBytes);
  unsigned char number[4] = {};
  int n = source->Read(number, 4);
  if (n == 4) discCount = static_cast<int32_t>(LoadLe32(number));
  got += n;
  n = source->Read(number, 4);
  if (n == 4) installSize = LoadLe32(number);
  got += n;
  return got == kSetupHeaderSize;
}

std::string SetupHeader::Bytes() const {
  std::string bytes(kSetupHeaderSize, '\0');
  int at = 0;
  for (const char* text : {companyName, gameName, uninstallKey, exeName}) {
    std::memcpy(&bytes[at], text, kHeaderTextBytes);
    at += kHeaderTextBytes;
  }
  StoreLe32(&bytes[at], static_cast<uint32_t>(discCount));
  StoreLe32(&bytes[at + 4], installSize);
  return bytes;
}

void SetHeaderText(char (&field)[kHeaderTextBytes + 1], const std::string& text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), static_cast<size_t>(kHeaderTextBytes)));
}

}  // namespace disc
