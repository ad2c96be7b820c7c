// The disc's list of files, "setupdata\manifest.ini", as the authoring tool
// writes it (the installer's reader and the full description of the rows
// are in setup/manifest.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace discformat {

constexpr char kManifestName[] = "manifest.ini";
// Disc numbers are written in this many digits, so that the list's size is
// known before the archives are packed and the discs counted.
constexpr int kManifestDiscDigits = 3;
constexpr int kManifestMaxDiscs = 999;

struct ManifestEntry {
  bool data;         // a file of the data folder; else of the archives
  int disc;          // the disc of its FileStart record (archives only)
  std::string path;  // "\..." as stored, or below the data folder
  uint64_t size;
  uint32_t crc;      // CRC-32 of its bytes
};

// The text of the list: the format row, the disc count, one row per entry
// in the order given, the end row. The same count of discs and entries of
// the same paths and sizes give a text of the same length.
std::string ManifestText(int discCount, const std::vector<ManifestEntry>& entries);

}  // namespace discformat
