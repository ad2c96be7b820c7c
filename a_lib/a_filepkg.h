// Package files (".apkg"): the contents of one folder bundled in one file.
//
// Layout, all numbers 32-bit little-endian, offsets from the package's start:
//   header     0: "APKG"   4: directoryOffset   8: entryCount (signed)
//   directory  entryCount records of 40 bytes at directoryOffset:
//              0: name (32 bytes, zero-terminated unless it fills them)
//              32: offset of the entry's data   36: size of the data
//   data       each byte stored complemented (XOR 0xFF)
// A package may itself be an entry of another package.
//
// The package is untrusted input: a directory that does not fit in the file,
// or an entry whose data lies outside the file, makes the open fail.
#pragma once

#include <cstdint>

#include "a_file.h"

constexpr int kPackageHeaderSize = 12;
constexpr int kPackageEntrySize = 40;
constexpr int kPackageNameSize = 32;

// Reads one entry of a package. Made with a_alloc and owned by the
// FileHandle it serves; closing that handle closes `file` and frees it.
class PackageReader {
 public:
  // Opens the package at `packagePath` (through OpenRead, so it may itself
  // lie in a package) and finds `entryName`, upper-cased in place by the
  // call, among the directory's names (upper-cased likewise); the first
  // match in directory order wins. Returns 1 with the reader at the entry's
  // first byte; 0 otherwise, with the package file closed again.
  int Open(const char* packagePath, char* entryName);
  // Moves to `offset` bytes from the entry's start. An offset beyond the end
  // is allowed (reads then return 0); a negative one is refused (0).
  // Returns the package file's Seek result.
  int Seek(int offset);
  // Reads up to `length` bytes of the entry, restored to their plain values;
  // returns the count, 0 at the end.
  int Read(void* buffer, int length);

  FileHandle file;    // the package file (itself possibly a package entry)
  int32_t start = 0;     // offset of the entry's data in the package file
  int32_t size = 0;      // length of the entry's data
  int32_t position = 0;  // current offset in the package file, start..start+size
};

// Upper-cases the ASCII letters of `text` in place, stepping over double-byte
// characters: a byte of 0x80 or above and the byte after it are left as they
// are.
void MakeUpper(char* text);
