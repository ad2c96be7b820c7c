// The one walk of a disc set's archives: setup's copy engine, and the
// authoring tool's list, verify and extract, all read the records through
// it, so that what one of them makes of a disc the others make of it too.
//
// The walk owns what the records mean together (record_reader.h reads them
// one at a time):
//   - a byte of no record tag (1 to 5) is a record of one byte, passed over
//     wherever it stands, inside a file too;
//   - a Folder or FileStart name must be a safe stored path where the code
//     page is the walk's (or, reading on every system, on at least one);
//   - FileData goes to the file the last FileStart opened; with none open
//     the disc is damaged;
//   - the end-of-disc record or the end of the archive ends a disc, and a
//     file open then goes on on the next disc; the last disc must not end
//     inside a file;
//   - with the disc's list of files, each file must be listed when it
//     starts and be as listed when it ends.
// What setup passes over but a disc as built never holds (oddities below)
// is told to the sink, which decides: setup goes on, verify stops.
//
// The walk tells its sink what it meets in the order it meets it, and the
// damage it finds in one wording. The sink keeps what its program does with
// each: the files it writes, its prompts, its progress.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "manifest.h"
#include "record_reader.h"

namespace disc {

// The file a FileStart record began, as far as it has been read.
struct WalkFile {
  std::string path;  // as stored, "\..."
  uint64_t size = 0;
  uint32_t crc = 0;         // CRC-32 of its bytes so far
  int firstDisc = 0;        // the disc of its FileStart record, 1-based
  int lastDisc = 0;         // the disc of its last record so far
  ManifestFile* row = nullptr;  // its row in the walk's list, if it has one
};

// What setup reads past but a disc as built never holds.
enum class Oddity {
  kNoTag,           // a byte of no record tag
  kNameInsideFile,  // a Folder or FileStart while a file is open: a FileStart
                    // ends that file, a Folder leaves it open
  kEndWithoutFile,  // a FileEnd with no file open
  kNotContinued,    // the disc before ended inside a file and this one does
                    // not go on with it
  kBytesAfterEnd,   // bytes after the end-of-disc record, never read
  kRefusedOnSome,   // a name that some systems' code page refuses (reading
                    // on every system)
};

// Damage: the walk stops there.
struct WalkDamage {
  int disc = 0;        // 1-based
  int64_t offset = 0;  // in the disc's archive
  bool atRecord = true;  // false: at the end of the archive, not at a record
  std::string reason;  // the damage, as setup's damaged-disc box words it
  std::string detail;  // what the tool adds to it ("" or " (... )", ": \path")
};

class ArchiveSink {
 public:
  virtual ~ArchiveSink() = default;
  // Each handler returns false to stop the walk, having told its own reason.
  virtual bool DiscStart(int disc) {
    (void)disc;
    return true;
  }
  // The safe name of a Folder or FileStart record, before anything is done
  // with it: the sink's own checks of it (its length against the target).
  // `unpacked`: the bytes of the record's payload, its zero included.
  virtual bool Name(int8_t tag, const std::string& path, size_t unpacked, int64_t offset) {
    (void)tag, (void)path, (void)unpacked, (void)offset;
    return true;
  }
  virtual bool Folder(const std::string& path, int disc, int64_t offset) = 0;
  virtual bool FileStart(const WalkFile& file, int64_t offset) = 0;
  // The next piece of the open file, `length` bytes at `data` (already
  // counted in `file`).
  virtual bool FileData(const WalkFile& file, const unsigned char* data, size_t length, int64_t offset) = 0;
  // The file's end: its FileEnd record, or the FileStart after it.
  virtual bool FileEnd(const WalkFile& file, int64_t offset) = 0;
  // True reads on as setup does; `text` says what was met, for a fault.
  virtual bool Odd(Oddity oddity, int64_t offset, const std::string& text) {
    (void)oddity, (void)offset, (void)text;
    return true;
  }
  // A read failed at `position`: true when the source stands there again
  // (the disc was put back), to read on.
  virtual bool Unreadable(int64_t position) {
    (void)position;
    return false;
  }
  // The walk found damage and stops.
  virtual void Damaged(const WalkDamage& damage) = 0;
  // After each record read on: false stops the walk (a cancel).
  virtual bool Next() { return true; }
};

struct WalkRules {
  // Names are checked as a system of this code page reads them; 0 reads
  // them as each system of kDiscCodePages does: damage only when all refuse.
  unsigned codePage = 0;
  // The disc's list of files, or null: each file is matched against it as
  // it starts and ends, and its row marked installed.
  Manifest* list = nullptr;
};

enum class WalkEnd {
  kDisc,     // the disc was read to its end
  kStopped,  // damage (told to the sink) or a sink's handler stopped it
};

class ArchiveWalk {
 public:
  // The rules' list and the sink stay the caller's and must outlive the
  // walk.
  ArchiveWalk(const WalkRules& rules, ArchiveSink* sink) : rules_(rules), sink_(sink) {}

  // Reads disc `disc` (1-based; discs in order) with `reader`, which stands
  // at its first record, in an archive of `size` bytes. `last`: no disc
  // follows, so a file open at its end is damage.
  WalkEnd Disc(int disc, RecordReader* reader, int64_t size, bool last);

  // The file open now (between discs, one that goes on), or null.
  const WalkFile* open() const { return open_ ? &file_ : nullptr; }

 private:
  WalkEnd Damage(int64_t offset, const std::string& reason, const std::string& detail = std::string());
  bool Record(const Record& record);
  bool NamedRecord(int8_t tag, const char* name, unsigned long length, int64_t offset);
  bool NameIsSafe(const char* name, unsigned long length, int64_t offset);
  bool EndFile(int64_t offset);

  WalkRules rules_;
  ArchiveSink* sink_;
  int disc_ = 0;
  WalkFile file_;
  bool open_ = false;
  bool mustContinue_ = false;  // the disc before ended inside the open file
};

}  // namespace disc
