// The disc's list of files, "setupdata\manifest.ini" on disc 1 (read
// through OpenRead, so also from the setupdata package): every file the
// install writes, with its size and CRC-32, so that a disc that lost a file,
// or whose file reads but is not what was authored, is told instead of
// installed. A disc without the list installs as discs always did. The
// authoring tool writes it (ManifestText), setup reads it (Manifest).
//
// The list is a text table (rows end in CR LF, cells are split by TAB):
//
//   manifest  1                        the first row: the format
//   discs     NNN                      the number of discs
//   file      DDD  \PATH  SIZE  CRC    a file of the archives: the disc its
//                                      FileStart record is on, its stored
//                                      path, its size in bytes, the CRC-32
//                                      of its bytes
//   data      \PATH  SIZE  CRC         a file of the disc's data folder, its
//                                      path below that folder with a "\"
//                                      before it
//   end       COUNT                    the last row: the number of file and
//                                      data rows
//
// Numbers are decimal and may have leading zeros (the authoring tool writes
// disc numbers in three digits, so that the list's size is known before the
// archives are packed); a CRC is 8 hex digits. Rows of another kind between
// the first row and the last are passed over, for kinds a later tool may
// add. Paths are names of the system's code page, checked as stored paths
// are; two rows of one kind may not name the same file. A name is matched
// as Windows matches file names: letters A to Z in either case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "a_util.h"

constexpr char kManifestFile[] = "setupdata\\manifest.ini";

enum class ManifestSource { kArchive, kData };

struct ManifestFile {
  ManifestSource source;
  int32_t disc;      // 1-based; 0 for a data-folder file
  std::string path;  // "\..." as listed
  uint64_t size;
  uint32_t crc;
  bool installed;    // set by the install once the file was written and matched
};

class Manifest {
 public:
  // Reads the rows of `table` as a system of ANSI code page `codePage`.
  // False with `*reason` (English, for the damaged-disc box) when the list
  // is damaged; the manifest is then empty.
  bool Parse(const TextTable& table, unsigned codePage, std::string* reason);

  // The row of `source` naming `path` (`length` bytes, no zero needed), or
  // null when the list has none.
  ManifestFile* Find(ManifestSource source, const char* path, size_t length);
  // The first listed file not marked installed, in list order, or null.
  const ManifestFile* FirstMissing() const;
  void Clear();

  int32_t discCount = 0;
  std::vector<ManifestFile> files;

 private:
  // Indices into `files`, sorted by (source, folded path), for Find.
  std::vector<uint32_t> order_;
  std::vector<std::string> keys_;  // per file
  unsigned codePage_ = 1252;
};

// The running check of one file as it is written.
struct FileSum {
  uint64_t size = 0;
  uint32_t crc = 0;
  void Add(const void* data, size_t length);
};

// "1,234 bytes, CRC-32 0A1B2C3D", as the damaged-disc box tells a file.
std::string DescribeSum(uint64_t size, uint32_t crc);

// A file read whole, checked against `row`, its row in the list (null when
// the list has none): empty when it is as listed, else why not, naming it
// `shown`. With `firstDisc` above 0, the disc its FileStart record is on
// must be the row's too (the data folder's files and setup pass 0).
std::string ListedMismatch(const ManifestFile* row, const std::string& shown, int firstDisc, uint64_t size,
                           uint32_t crc);

namespace disc {

// The list's name inside the setupdata folder.
constexpr char kManifestName[] = "manifest.ini";
// Disc numbers are written in this many digits, so that the list's size is
// known before the archives are packed and the discs counted.
constexpr int kManifestDiscDigits = 3;
constexpr int kManifestMaxDiscs = 999;

// One row as the tool writes it.
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

}  // namespace disc
