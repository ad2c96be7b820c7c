// The setup header written, for the authoring tool; apart from the loader
// so that setup links only that.
#include <algorithm>
#include <cstring>

#include "little_endian.h"
#include "setup_header.h"

namespace disc {

std::string SetupHeader::Bytes() const {
  std::string bytes(kSetupHeaderSize, '\0');
  int at = 0;
  for (const char* text : {companyName, gameName, uninstallKey, exeName}) {
    std::memcpy(&bytes[at], text, kHeaderTextBytes);
    at += kHeaderTextBytes;
  }
  alib::StoreLe32(&bytes[at], static_cast<uint32_t>(discCount));
  alib::StoreLe32(&bytes[at + 4], installSize);
  return bytes;
}

void SetHeaderText(char (&field)[kHeaderTextBytes + 1], const std::string& text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), static_cast<size_t>(kHeaderTextBytes)));
}

}  // namespace disc
