// Package files (".apkg"): the contents of one folder bundled in one file,
// laid out as package_format.h describes; a package may itself be an
// entry of another package.
//
// The package is untrusted input: its numbers are taken as signed, and a
// count below 1, a directory that does not fit in the file, or an entry
// whose data lies outside the file makes the open fail.
#pragma once

#include <cstdint>

#include "a_file.h"

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
