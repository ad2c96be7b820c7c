// The setup header: the first 168 bytes of "cd1". Setup reads it at start
// (the game's names, where to install, the space it needs) and again when
// the copy begins; the authoring tool writes it and reads it back.
//
//   0   company name    40 bytes, zero-padded, need not end in a zero
//   40  game name       likewise
//   80  uninstall key   likewise (the name of the game's uninstall record)
//   120 executable      likewise, the game's program below the install folder
//   160 disc count      32-bit little-endian, signed
//   164 install size    32-bit little-endian, the installed bytes
#pragma once

#include <cstdint>
#include <string>

#include "byte_source.h"
#include "disc_format.h"

namespace disc {

constexpr int kHeaderTextBytes = 40;
// Where each field lies in the 168 bytes: the four texts in their order
// (company, game, uninstall key, executable), then the two numbers.
constexpr int kHeaderExeAt = 3 * kHeaderTextBytes;
constexpr int kHeaderDiscCountAt = 4 * kHeaderTextBytes;
constexpr int kHeaderInstallSizeAt = kHeaderDiscCountAt + 4;

// A plain record: value-initialise it (`SetupHeader header{}`) for all zeros.
struct SetupHeader {
  // The texts as stored; the byte after the 40 stays zero, so each is a
  // terminated string however the disc fills it.
  char companyName[kHeaderTextBytes + 1];
  char gameName[kHeaderTextBytes + 1];
  char uninstallKey[kHeaderTextBytes + 1];
  char exeName[kHeaderTextBytes + 1];
  int32_t discCount;
  uint32_t installSize;

  // Reads the fields in their order from `source`, each with a read of its
  // own: a text takes the bytes that came, a number is set only when all
  // four of its bytes came, and a field the source does not reach keeps its
  // contents. True when all 168 bytes came (a read that failed shows in
  // source->Failed()).
  bool Load(ByteSource* source);
  // The 168 bytes as stored.
  std::string Bytes() const;
};

// Puts `text` into a text field: its first 40 bytes, zero-padded.
void SetHeaderText(char (&field)[kHeaderTextBytes + 1], const std::string& text);

}  // namespace disc
