// The lead bytes of the double-byte ANSI code pages, the same on every
// platform, so that the Linux port splits names exactly as Windows does.
#include "platform.h"

namespace plat {

bool IsLeadByte(unsigned codePage, unsigned char c) {
  switch (codePage) {
    case 932:  // Japanese
      return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:  // simplified Chinese
    case 949:  // Korean
    case 950:  // traditional Chinese
      return c >= 0x81 && c <= 0xFE;
    default:
      return false;
  }
}

}  // namespace plat
