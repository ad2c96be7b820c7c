// File access: the program's one way to read and write files.
//
// A FileHandle is either a binary stream on disk or a PackageReader over one
// entry of a package (".apkg", see a_filepkg.h). OpenRead falls back to the
// package named after the file's folder when the file is missing on disk, so
// every reader sees packaged files as ordinary files. The library counts the
// open handles and reports, once at process exit, any that were never closed.
#pragma once

#include <cstdint>

#include "platform.h"

class PackageReader;

// Handles open now, every level of a packaged file counted.
extern int32_t openFileCount;

class FileHandle {
 public:
  FileHandle() = default;
  // Does not close: every user closes explicitly with Close.
  ~FileHandle() = default;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Opens `path` for binary reading; when it is missing on disk, opens it as
  // an entry of the package of its folder (D:\a\b.dat as the entry B.DAT of
  // D:\a.apkg), to any depth. Returns 1 when open, 0 otherwise (the handle
  // then stays closed). A path or package path longer than 255 bytes is not
  // looked up in a package. An open handle is closed first.
  int OpenRead(const char* path);
  // Creates or truncates `path` for binary writing ("w+b"); when that fails,
  // makes the missing parent folders and tries once more. 1 when open.
  int OpenWrite(const char* path);
  // Closes the handle. Returns 1 when it was open and everything written
  // reached the file; 0 when it was not open, or when flushing or closing
  // failed (the handle is closed and released all the same, so a full disk
  // that shows only at close is reported here).
  int Close();
  // Length of the file or entry in bytes; 0 when not open.
  int Size();
  // Moves to `offset` bytes from the start. Disk: 1, or 0 when the seek
  // failed or the handle is closed. Package entry: 1 whenever open.
  int Seek(int offset);
  // Reads up to `length` bytes; returns the count delivered (0 at the end,
  // when not open, or for a length of 0 or less).
  int Read(void* buffer, int length);
  // Writes the whole block. 1 when all `length` bytes were accepted; 0 when
  // not, when length is 0 or less, when not open, or for a package entry.
  int Write(const void* buffer, int length);

  // 1 when a read or write of the open file failed (a scratched disc, a
  // full disk), as opposed to reaching the end; 0 otherwise.
  int Failed() const;

  bool IsOpen() const { return stream_ != nullptr || reader_ != nullptr; }
  bool IsPackage() const { return reader_ != nullptr; }

 private:
  int OpenFromPackage(const char* path);

  plat::Stream* stream_ = nullptr;   // the disk stream
  PackageReader* reader_ = nullptr;  // or the package entry (from a_alloc, owned)
};

// 1 when `path` names an existing file or folder on disk (packages are not
// searched), else 0.
int FileExists(const char* path);
// Creates one folder: 0 when it was made, -1 otherwise (also when it exists).
int MakeFolder(const char* path);
// Creates every folder on the way to the last component of `path` (which is
// never made into a folder), splitting at "\" and "/" as the file system
// reads the path: in the system's code page, stepping over double-byte
// characters (a_name.h).
// Failures are ignored. Paths longer than 1,023 bytes are left alone.
void MakeParentFolders(const char* path);
// Copies `source` (read through OpenRead, so possibly from a package) to
// `target` (through OpenWrite) in chunks of 512,000 bytes. Returns 1 when
// the whole file was copied and the target closed cleanly; 0 when either
// file cannot be opened, the buffer cannot be had, a read of the source or
// a write or the close of the target failed. The target is left as far as it got.
int CopyFileData(const char* source, const char* target);
// The same, also telling the size and the CRC-32 (UpdateCrc32) of the bytes
// written, as far as the copy got.
int CopyFileData(const char* source, const char* target, uint64_t* size, uint32_t* crc);

// The at-exit check of open handles ("Some file is not close"); registered
// by the first successful open.
void a_file_report();
