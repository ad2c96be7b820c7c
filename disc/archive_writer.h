// Lays folders and files out as the records of one or more disc archives,
// each archive within the bytes its disc leaves for it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "records.h"

namespace disc {

class PiecePacker;
class ReadAhead;

// Where the archives go.
class ArchiveOutput {
 public:
  virtual ~ArchiveOutput() = default;
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
class MemorySink : public ArchiveOutput {
 public:
  bool Begin(int disc) override;
  bool Append(const std::string& bytes) override;
  bool End() override { return true; }
  bool PutHeader(const std::string& header) override;
  std::string Error() const override { return ""; }

  std::vector<std::string> discs;
};

// The files ArchiveWriter::Files packs, in order. Every call comes on the
// thread that called Files, reading a few pieces ahead of the records.
class FileFeed {
 public:
  virtual ~FileFeed() = default;
  virtual size_t Count() const = 0;
  // File `index`'s stored path ("\"-led) and size.
  virtual const std::string& Path(size_t index) const = 0;
  virtual uint64_t Size(size_t index) const = 0;
  // Makes file `index` the one Read reads. Called once for each file, in
  // order, once the file before has been read to its end. False with `why`
  // when it cannot be read: the writer fails with `why` where the file's
  // records would have begun.
  virtual bool Open(size_t index, std::string* why) = 0;
  // Fills up to `length` bytes of `buffer` from the open file and returns
  // the count; 0 when it cannot.
  virtual size_t Read(char* buffer, size_t length) = 0;
  // File `index`'s FileStart record went on disc `disc` (1-based). A record
  // that does not fit closes the disc first, so this can be a disc after
  // the one open when the file before ended.
  virtual void Started(size_t index, int disc) = 0;
};

// Files held in memory.
class MemoryFeed : public FileFeed {
 public:
  void Add(const std::string& path, const std::string& content);
  size_t Count() const override { return files_.size(); }
  const std::string& Path(size_t index) const override { return files_[index].path; }
  uint64_t Size(size_t index) const override { return files_[index].content.size(); }
  bool Open(size_t index, std::string* why) override;
  size_t Read(char* buffer, size_t length) override;
  void Started(size_t, int) override {}

 private:
  struct Entry {
    std::string path;
    std::string content;
  };
  std::vector<Entry> files_;
  const std::string* open_ = nullptr;
  size_t at_ = 0;
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
  ArchiveWriter(ArchiveOutput* sink, std::function<uint64_t(int)> budget, size_t piece = kMaxPieceBytes);

  bool Folder(const std::string& path);
  // The files of `feed`, one after the other. Their pieces are packed on
  // `jobs` threads; the records, and the calls to the sink, onProgress,
  // onDisc and the feed's Started, come the same for any count. The feed is
  // read ahead of them: at most a few pieces per job are held at a time,
  // read but not yet put.
  bool Files(FileFeed* feed);
  bool File(const std::string& path, const std::string& content);
  // Ends the last disc and puts the header, with the disc count filled in.
  bool Finish(HeaderTexts header);

  int discCount() const { return disc_ + 1; }
  const std::string& error() const { return error_; }
  // Told the file bytes put into records so far, after every piece.
  std::function<void(uint64_t bytes)> onProgress;
  // Told each disc after the first (0-based) as it is begun.
  std::function<void(int disc)> onDisc;
  // The threads Files packs on, the calling one included; at least 1.
  int jobs = 1;

 private:
  bool Put(const std::string& record);
  bool NextDisc();
  uint64_t Left() const;
  // Puts the record of the next piece of the file, cut at the disc's end
  // where it does not fit, and moves `ahead` past what it carried.
  bool PutPiece(ReadAhead* ahead, PiecePacker* packer, const std::string& path);
  // The record carrying the most of `piece` that fits in `room` bytes, and
  // how many bytes of it that is; 0 bytes when nothing fits.
  size_t CutPiece(const std::string& piece, uint64_t room, std::string* record) const;
  bool Fail(const std::string& why);

  ArchiveOutput* sink_;
  std::function<uint64_t(int)> budget_;
  size_t piece_;
  int disc_ = 0;
  uint64_t used_ = 0;
  uint64_t content_ = 0;
  std::string error_;
};

}  // namespace disc
