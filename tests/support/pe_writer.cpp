#include "pe_writer.h"

#include <cstdint>
#include <cstdlib>

namespace testsupport {

namespace {

constexpr size_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;

void Put16(std::string* image, size_t at, uint16_t value) {
  for (int i = 0; i < 2; ++i) (*image)[at + i] = static_cast<char>(value >> (8 * i));
}

void Put32(std::string* image, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*image)[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

std::string TinyProgram(const std::string& mark) {
  if (mark.size() > kFileAlignment - 12) std::abort();
  // Headers in the first 0x200 bytes, the code section in the next.
  std::string image(2 * kFileAlignment, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  constexpr size_t pe = 0x40;
  Put32(&image, 0x3C, pe);
  image.replace(pe, 4, std::string("PE\0\0", 4));
  // COFF header: i386, one section, a 32-bit executable.
  constexpr size_t coff = pe + 4;
  constexpr uint16_t kOptionalBytes = 96 + 16 * 8;
  Put16(&image, coff, 0x14C);
  Put16(&image, coff + 2, 1);
  Put16(&image, coff + 16, kOptionalBytes);
  Put16(&image, coff + 18, 0x0102);
  // Optional header (PE32), with all 16 data directories empty.
  constexpr size_t opt = coff + 20;
  Put16(&image, opt, 0x10B);
  Put32(&image, opt + 4, kFileAlignment);       // size of code
  Put32(&image, opt + 16, kSectionAlignment);   // entry point
  Put32(&image, opt + 20, kSectionAlignment);   // base of code
  Put32(&image, opt + 24, 2 * kSectionAlignment);  // base of data
  Put32(&image, opt + 28, 0x400000);            // image base
  Put32(&image, opt + 32, kSectionAlignment);
  Put32(&image, opt + 36, kFileAlignment);
  Put16(&image, opt + 40, 4);                   // operating system 4.0
  Put16(&image, opt + 48, 4);                   // subsystem 4.0
  Put32(&image, opt + 56, 2 * kSectionAlignment);  // size of image
  Put32(&image, opt + 60, kFileAlignment);      // size of headers
  Put16(&image, opt + 68, 2);                   // Windows GUI
  Put32(&image, opt + 72, 0x100000);            // stack reserve, commit
  Put32(&image, opt + 76, 0x1000);
  Put32(&image, opt + 80, 0x100000);            // heap reserve, commit
  Put32(&image, opt + 84, 0x1000);
  Put32(&image, opt + 92, 16);                  // data directories
  // The section: ".text", code, readable and executable.
  constexpr size_t section = opt + kOptionalBytes;
  image.replace(section, 5, ".text");
  Put32(&image, section + 8, static_cast<uint32_t>(1 + mark.size()));
  Put32(&image, section + 12, kSectionAlignment);
  Put32(&image, section + 16, kFileAlignment);
  Put32(&image, section + 20, kFileAlignment);
  Put32(&image, section + 36, 0x60000020);
  image[kFileAlignment] = static_cast<char>(0xC3);  // ret
  image.replace(kFileAlignment + 1, mark.size(), mark);
  return image;
}

}  // namespace testsupport
