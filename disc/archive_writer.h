// Lays folders and files out as the records of one or more disc archives,
// each archive within the bytes its disc leaves for it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "records.h"

namespace discformat {

// Where the archives go.
class ArchiveSink {
 public:
  virtual ~ArchiveSink() = default;
  // Starts archive `disc` (0 for cd1).
  virtual bool Begin(int disc) = 0;
  // Appends to the archive begun last.
  virtual bool Append(const std::string& bytes) = 0;
  // Ends the archive begun last.
  virtual bool End() = 0;
  // Overwrites the start of cd1 with the finished header; called once, last.
  virtual bool PutHeader(const std::string& header) = 0;
  // Why the last call failed.
  virtual std::string Error() const = 0;
};

// Keeps the archives in memory.
class MemorySink : public ArchiveSink {
 public:
  bool Begin(int disc) override;
  bool Append(const std::string& bytes) override;
  bool End() override { return true; }
  bool PutHeader(const std::string& header) override;
  std::string Error() const override { return ""; }

  std::vector<std::string> discs;
};

// Writes the records. Folders come first, then the files, each file as
// FileStart, its content in pieces of at most `piece` bytes (packed, or
// stored where that is smaller), and FileEnd.
// When the next record would overrun the disc, the disc is closed and the
// next one begun; a file goes on from disc to disc where that happens, and
// the disc it leaves is filled up to its last byte where the content allows
// (the last piece is cut to fit, and kept uncompressed when that carries
// more of the file). A disc gets a DiscEnd record when a byte is left for it.
class ArchiveWriter {
 public:
  // `budget(disc)`: the bytes archive `disc` may hold, cd1's header included;
  // 0 for no limit.
  ArchiveWriter(ArchiveSink* sink, std::function<uint64_t(int)> budget, size_t piece = kMaxPieceBytes);

  bool Folder(const std::string& path);
  // A file of `size` bytes, read through `read` (which fills up to `length`
  // bytes of `buffer` and returns the count, 0 when it cannot).
  bool File(const std::string& path, uint64_t size,
            const std::function<size_t(char* buffer, size_t length)>& read);
  bool File(const std::string& path, const std::string& content);
  // Ends the last disc and puts the header, with the disc count filled in.
  bool Finish(SetupHeader header);

  int discCount() const { return disc_ + 1; }
  // The disc (1-based) the FileStart record of the last file begun went on;
  // 0 before any file. A record that does not fit closes the disc first,
  // so this can be a disc after the one open when File was called.
  int fileDisc() const { return fileDisc_; }
  const std::string& error() const { return error_; }
  // Told the file bytes put into records so far, after every piece.
  std::function<void(uint64_t bytes)> onProgress;
  // Told each disc after the first (0-based) as it is begun.
  std::function<void(int disc)> onDisc;

 private:
  bool Put(const std::string& record);
  bool NextDisc();
  uint64_t Left() const;
  // The record carrying the most of `piece` that fits in `room` bytes, and
  // how many bytes of it that is; 0 bytes when nothing fits.
  size_t CutPiece(const std::string& piece, uint64_t room, std::string* record) const;
  bool Fail(const std::string& why);

  ArchiveSink* sink_;
  std::function<uint64_t(int)> budget_;
  size_t piece_;
  int disc_ = 0;
  int fileDisc_ = 0;
  uint64_t used_ = 0;
  uint64_t content_ = 0;
  std::string error_;
};

}  // namespace discformat
